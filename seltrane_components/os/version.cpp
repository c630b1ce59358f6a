#include "seltrane_components/os/version.h"

#include <QRegularExpression>

namespace {

const quint8 kKindMask = 0xC0;
const quint8 kNumberMask = 0x3F;

struct KindName
{
    quint8 kind;
    const char* name;
};

const KindName kKindNames[] = {
    {Version::ReleaseCandidate, "RC"},
    {Version::Beta, "BETA"},
    {Version::Debug, "DEBUG"},
};

}  // namespace

Version Version::parse(const QString& text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("(\\d+)\\.(\\d+)(?:\\.(\\d+))?(?:[ \\.](RC|BETA|DEBUG)(\\d+))?")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return Version();

    Version version(static_cast<quint8>(match.captured(1).toUInt()), static_cast<quint8>(match.captured(2).toUInt()),
                    static_cast<quint8>(match.captured(3).toUInt()));
    const QString kind = match.captured(4);
    for (const KindName& entry : kKindNames) {
        if (kind == QLatin1String(entry.name))
            version.m_tag = entry.kind;
    }
    version.m_tag |= static_cast<quint8>(match.captured(5).toUInt());
    return version;
}

std::string Version::toStdString(bool longForm) const
{
    std::string text = std::to_string(m_major) + "." + std::to_string(m_minor);
    if (longForm || m_patch > 0) {
        text += '.';
        text += std::to_string(m_patch);
    }
    if (m_tag > kNumberMask) {
        text += longForm ? "." : " ";
        for (const KindName& entry : kKindNames) {
            if ((m_tag & kKindMask) == entry.kind)
                text += entry.name;
        }
        text += std::to_string(m_tag & kNumberMask);
    }
    return text;
}

QString Version::toString(bool longForm) const { return QString::fromStdString(toStdString(longForm)); }

QByteArray Version::toByteArray() const
{
    QByteArray bytes(4, '\0');
    bytes[0] = static_cast<char>(m_major);
    bytes[1] = static_cast<char>(m_minor);
    bytes[2] = static_cast<char>(m_patch);
    bytes[3] = static_cast<char>(m_tag);
    return bytes;
}

Version Version::fromByteArray(const QByteArray& bytes)
{
    auto byteAt = [&bytes](int index) {
        return index < bytes.size() ? static_cast<quint8>(bytes.at(index)) : quint8(0);
    };
    Version version(byteAt(0), byteAt(1), byteAt(2), byteAt(3));
    if (version.m_tag <= kNumberMask)
        version.m_tag = 0;
    return version;
}
