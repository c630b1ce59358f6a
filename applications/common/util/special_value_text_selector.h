#ifndef APPLICATIONS_COMMON_UTIL_SPECIAL_VALUE_TEXT_SELECTOR_H
#define APPLICATIONS_COMMON_UTIL_SPECIAL_VALUE_TEXT_SELECTOR_H

#include <QObject>

class QAbstractSpinBox;
class QLineEdit;

// SpecialValueTextSelector makes a press into a spin box that shows its
// special-value text ("Auto") select that whole text, so typing replaces it,
// instead of placing the cursor inside it.  It filters the spin box's line
// edit and is owned by the spin box, its parent.
//
// GUI thread only.
class SpecialValueTextSelector : public QObject
{
public:
    explicit SpecialValueTextSelector(QAbstractSpinBox* spinBox);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractSpinBox* m_spinBox;
    QLineEdit* m_lineEdit = nullptr;
};

#endif  // APPLICATIONS_COMMON_UTIL_SPECIAL_VALUE_TEXT_SELECTOR_H
