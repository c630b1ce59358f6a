// What an IO module offers a project: the templates of its properties and of
// the triggers, conditions and actions it adds, with the editor each property
// is set through.
//
// IoMPropertyEditorTemplate holds the data of its editor kind only (choice,
// integer, real, text, switch, texts; any other kind, 255 above all, has
// none): setKind() drops the old kind's data and starts the new kind's from
// its defaults.
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_CONTROLLERS_IOM_CONFIGURATION_H
#define LX_OBJECTS_CONTROLLERS_IOM_CONFIGURATION_H

#include "components/archive/stream_fwd.h"

#include <QString>
#include <QVariant>

#include <list>
#include <map>
#include <utility>
#include <variant>
#include <vector>

struct IoMChoiceEditor
{
    // Label and value, in the order offered.
    std::list<std::pair<QString, QVariant>> choices;
    qint32 defaultIndex = -1;

    bool operator==(const IoMChoiceEditor&) const = default;
};

struct IoMIntegerEditor
{
    qint32 minimum = 0;
    qint32 maximum = 255;
    qint32 step = 1;
    QString unit;
    qint32 defaultValue = 0;

    bool operator==(const IoMIntegerEditor&) const = default;
};

struct IoMRealEditor
{
    double minimum = 0.0;
    double maximum = 1.0;
    double step = 0.1;
    QString unit;
    qint32 decimals = 2;

    bool operator==(const IoMRealEditor&) const = default;
};

struct IoMTextEditor
{
    QString text;

    bool operator==(const IoMTextEditor&) const = default;
};

struct IoMSwitchEditor
{
    bool value = false;

    bool operator==(const IoMSwitchEditor&) const = default;
};

struct IoMTextsEditor
{
    QString text1;
    QString text2;
    QString text3;

    bool operator==(const IoMTextsEditor&) const = default;
};

class IoMPropertyEditorTemplate
{
public:
    static constexpr quint32 kTypeCode = 277;

    enum Kind : quint8 {
        ChoiceKind = 0,
        IntegerKind = 1,
        RealKind = 2,
        TextKind = 3,
        SwitchKind = 4,
        TextsKind = 5,
        NoKind = 255,
    };
    // The alternative of kind k is index k + 1; kinds without data hold the first.
    using Data = std::variant<std::monostate, IoMChoiceEditor, IoMIntegerEditor, IoMRealEditor, IoMTextEditor,
                              IoMSwitchEditor, IoMTextsEditor>;

    quint8 kind() const { return m_kind; }
    // The same kind changes nothing.
    void setKind(quint8 kind);
    // The kind's data, or null when D is not its kind's.
    template <class D>
    D* dataAs()
    {
        return std::get_if<D>(&m_data);
    }
    template <class D>
    const D* dataAs() const
    {
        return std::get_if<D>(&m_data);
    }

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMPropertyEditorTemplate&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    quint8 m_kind = NoKind;
    Data m_data;
};

struct IoMPropertyTemplate
{
    static constexpr quint32 kTypeCode = 278;

    QString name;
    quint8 valueKind = 255;
    IoMPropertyEditorTemplate editor;
    std::list<QString> strings;
    bool flag = false;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMPropertyTemplate&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct IoMTriggerConditionActionTemplate
{
    static constexpr quint32 kTypeCode = 279;

    QString name;
    QString text;
    std::vector<IoMPropertyTemplate> propertyTemplates;
    std::list<QString> strings;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMTriggerConditionActionTemplate&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct IoMConfiguration
{
    static constexpr quint32 kTypeCode = 280;
    // Keys of `templates`: the array ids of what the templates describe.
    static constexpr quint32 kTriggerTemplates = 16;
    static constexpr quint32 kConditionTemplates = 17;
    static constexpr quint32 kActionTemplates = 18;

    QString name;
    std::vector<IoMPropertyTemplate> propertyTemplates;
    std::vector<IoMPropertyTemplate> extraPropertyTemplates;
    std::map<quint32, std::vector<IoMTriggerConditionActionTemplate>> templates;
    bool flag = false;

    // The templates under the key; an empty list when there are none.
    const std::vector<IoMTriggerConditionActionTemplate>& templatesFor(quint32 arrayId) const;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMConfiguration&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_CONTROLLERS_IOM_CONFIGURATION_H
