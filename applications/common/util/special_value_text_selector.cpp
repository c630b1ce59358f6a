#include "applications/common/util/special_value_text_selector.h"

#include <QAbstractSpinBox>
#include <QEvent>
#include <QLineEdit>

SpecialValueTextSelector::SpecialValueTextSelector(QAbstractSpinBox* spinBox) : QObject(spinBox), m_spinBox(spinBox)
{
    for (QObject* child : spinBox->children()) {
        if (auto* lineEdit = qobject_cast<QLineEdit*>(child)) {
            m_lineEdit = lineEdit;
            m_lineEdit->installEventFilter(this);
            break;
        }
    }
}

bool SpecialValueTextSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_lineEdit || !m_lineEdit->isEnabled() || event->type() != QEvent::MouseButtonPress
        || m_lineEdit->text() != m_spinBox->specialValueText())
        return false;
    m_lineEdit->selectAll();
    return true;
}
