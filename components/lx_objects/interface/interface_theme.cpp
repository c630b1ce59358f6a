#include "components/lx_objects/interface/interface_theme.h"

#include "seltrane_components/os/logger.h"

#include <QBuffer>
#include <QImage>

const QVariant& InterfaceTheme::value(quint32 skinCode, const QString& name) const
{
    static const QVariant null;
    const auto it = m_values.find(std::make_pair(skinCode, name));
    return it == m_values.end() ? null : it->second;
}

void InterfaceTheme::setValue(quint32 skinCode, const QString& name, const QVariant& value)
{
    m_values[std::make_pair(skinCode, name)] = value;
}

QByteArray InterfaceTheme::imageData(int index) const
{
    const auto it = m_images.find(index);
    return it == m_images.end() ? QByteArray() : it->second;
}

void InterfaceTheme::setImageData(int index, const QByteArray& bytes) { m_images[index] = bytes; }

void InterfaceTheme::setImage(int index, const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG", -1)) {
        bytes.clear();
        logMessage(kLogWarning,
                   "Interface theme image %d could not be stored as PNG (%dx%d pixels); the controls using it show "
                   "no image until it is replaced",
                   index, image.width(), image.height());
    }
    setImageData(index, bytes);
}

bool takeThemeProperty(const InterfaceTheme& newTheme, const InterfaceTheme* oldTheme, quint32 controlCode,
                       const QString& name, const QVariant& currentValue, QVariant& result)
{
    result = newTheme.value(controlCode, name);
    if (!result.isValid())
        return false;
    if (!oldTheme)
        return true;
    const QVariant& old = oldTheme->value(controlCode, name);
    return old.isValid() && old == currentValue;
}
