// InterfaceTheme is a look that touch-panel controls take their properties
// from: values by control kind (skin code) and property name, and images by
// index, kept as PNG bytes. takeThemeProperty() decides whether a control
// takes a property from a newly applied theme.
//
// The theme's stored form is not known: read() and write() throw "No stream
// layout is specified for InterfaceTheme (code 160)".
//
// Owned by the database like every archive object; one thread edits a copy.
// value() hands out references into the theme or to one process-wide null
// QVariant, valid while the theme is unchanged.
#ifndef LX_OBJECTS_INTERFACE_INTERFACE_THEME_H
#define LX_OBJECTS_INTERFACE_INTERFACE_THEME_H

#include "components/lx_objects/interface/interface_objects.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <map>
#include <utility>

class QImage;

class InterfaceTheme final : public UnspecifiedObject<InterfaceTheme>
{
public:
    static constexpr quint32 kTypeCode = 160;

    // The null QVariant when the theme has no such value.
    const QVariant& value(quint32 skinCode, const QString& name) const;
    void setValue(quint32 skinCode, const QString& name, const QVariant& value);

    // An empty array for an index without an image.
    QByteArray imageData(int index) const;
    void setImageData(int index, const QByteArray& bytes);
    // Stores the image as PNG. An image that cannot be encoded (a null one)
    // is stored as an empty array, and the failure is logged.
    void setImage(int index, const QImage& image);

    bool operator==(const InterfaceTheme&) const = default;

private:
    std::map<std::pair<quint32, QString>, QVariant> m_values;
    std::map<int, QByteArray> m_images;
};

// Whether a control of kind controlCode takes property `name` from newTheme,
// oldTheme (null for none) being the theme it had: result receives the new
// theme's value (invalid when it has none). True when the new theme has a
// value and either there is no old theme or the control still holds the old
// theme's value (currentValue), so a value changed since is kept.
bool takeThemeProperty(const InterfaceTheme& newTheme, const InterfaceTheme* oldTheme, quint32 controlCode,
                       const QString& name, const QVariant& currentValue, QVariant& result);

#endif  // LX_OBJECTS_INTERFACE_INTERFACE_THEME_H
