// Version is the four-byte program version: major, minor, patch and a tag
// whose two top bits give the kind (0x40 RC, 0x80 BETA, 0xC0 DEBUG) and whose
// low six bits give the kind's number. The all-zero value means no version.
//
// It parses and prints the human form ("2.5.3 BETA4", "2.5.3.BETA4") and
// travels inside stored data as four bytes. A plain value type; any thread.
#ifndef SELTRANE_COMPONENTS_OS_VERSION_H
#define SELTRANE_COMPONENTS_OS_VERSION_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <string>

class Version
{
public:
    enum Kind : quint8 { Release = 0x00, ReleaseCandidate = 0x40, Beta = 0x80, Debug = 0xC0 };

    Version() = default;
    Version(quint8 major, quint8 minor, quint8 patch = 0, quint8 tag = 0)
        : m_major(major), m_minor(minor), m_patch(patch), m_tag(tag)
    {}

    // Parses "major.minor[.patch][( |.)(RC|BETA|DEBUG)number]"; anything else
    // gives the all-zero value. Numbers are kept modulo 256; a kind number
    // above 63 spills into the kind bits.
    static Version parse(const QString& text);

    // The short form leaves out a zero patch and puts a space before the
    // kind; the long form always has the patch and a "." before the kind, so
    // it parses back to the same value.
    std::string toStdString(bool longForm) const;
    QString toString(bool longForm) const;

    QByteArray toByteArray() const;
    // Missing bytes read as 0; a number without a kind is dropped.
    static Version fromByteArray(const QByteArray& bytes);

    quint8 majorVersion() const { return m_major; }
    quint8 minorVersion() const { return m_minor; }
    quint8 patchVersion() const { return m_patch; }
    quint8 tag() const { return m_tag; }
    bool isNull() const { return !m_major && !m_minor && !m_patch && !m_tag; }

    friend bool operator==(const Version& a, const Version& b)
    {
        return a.m_major == b.m_major && a.m_minor == b.m_minor && a.m_patch == b.m_patch && a.m_tag == b.m_tag;
    }
    friend bool operator!=(const Version& a, const Version& b) { return !(a == b); }

private:
    quint8 m_major = 0;
    quint8 m_minor = 0;
    quint8 m_patch = 0;
    quint8 m_tag = 0;
};

#endif  // SELTRANE_COMPONENTS_OS_VERSION_H
