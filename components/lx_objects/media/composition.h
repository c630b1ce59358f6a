// A Composition (array 36) groups content targets: numbered placements, each
// with a size, an angle (in degrees), a position, two flags and numbered
// instances (ContentTargetInstance: a position and a value). The program
// carries the settings and values without interpreting them; only a project
// load makes compositions.
//
// Owned by the database like every archive object; one thread edits a copy.
// The targets and instances are plain values held by it.
#ifndef LX_OBJECTS_MEDIA_COMPOSITION_H
#define LX_OBJECTS_MEDIA_COMPOSITION_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"

#include <QPointF>
#include <QSize>
#include <QString>

#include <map>

struct ContentTargetInstance
{
    static constexpr quint32 kTypeCode = 257;

    QPointF position;
    quint8 value = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ContentTargetInstance&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct ContentTarget
{
    static constexpr quint32 kTypeCode = 253;

    QSize size;  // (-1, -1)
    qint32 angle = 0;
    QPointF position;
    bool flagA = false;
    bool flagB = false;
    std::map<quint8, ContentTargetInstance> instances;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ContentTarget&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Composition : public Archive::Object<Composition>
{
public:
    static constexpr quint32 kTypeCode = 250;
    static constexpr Archive::ArrayId kArrayId = 36;

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    quint32 settingA() const { return m_settingA; }
    void setSettingA(quint32 value) { m_settingA = value; }
    quint32 settingB() const { return m_settingB; }
    void setSettingB(quint32 value) { m_settingB = value; }
    std::map<quint8, ContentTarget>& targets() { return m_targets; }
    const std::map<quint8, ContentTarget>& targets() const { return m_targets; }

    bool operator==(const Composition&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    quint32 m_settingA = 0;
    QString m_name;
    quint32 m_settingB = 0xFFFFFFFF;
    std::map<quint8, ContentTarget> m_targets;
};
extern template class Archive::Object<Composition>;

#endif  // LX_OBJECTS_MEDIA_COMPOSITION_H
