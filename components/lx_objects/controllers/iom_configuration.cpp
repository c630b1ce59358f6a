#include "components/lx_objects/controllers/iom_configuration.h"

#include "components/archive/fields.h"
#include "components/lx_objects/programming/io_meta_types.h"

#include <type_traits>

namespace {

using Data = IoMPropertyEditorTemplate::Data;

Data defaultDataOf(quint8 kind)
{
    switch (kind) {
    case IoMPropertyEditorTemplate::ChoiceKind:
        return IoMChoiceEditor();
    case IoMPropertyEditorTemplate::IntegerKind:
        return IoMIntegerEditor();
    case IoMPropertyEditorTemplate::RealKind:
        return IoMRealEditor();
    case IoMPropertyEditorTemplate::TextKind:
        return IoMTextEditor();
    case IoMPropertyEditorTemplate::SwitchKind:
        return IoMSwitchEditor();
    case IoMPropertyEditorTemplate::TextsKind:
        return IoMTextsEditor();
    default:
        return std::monostate();
    }
}

// Before 133 the choices were a map from label to value, so in label order.
void readChoiceMap(InStream& in, std::list<std::pair<QString, QVariant>>& choices)
{
    std::map<QString, QVariant> byLabel;
    in >> byLabel;
    choices.assign(byLabel.begin(), byLabel.end());
}

// The fields of one kind's data; kinds without data have none.
template <class F, class D>
void kindFields(F& f, D& d)
{
    using T = std::remove_const_t<D>;
    if constexpr (std::is_same_v<T, IoMChoiceEditor>) {
        f.since(133, d.choices).orRead(readChoiceMap);
        f(d.defaultIndex);
    } else if constexpr (std::is_same_v<T, IoMIntegerEditor>) {
        f(d.minimum, d.maximum, d.step, d.unit, d.defaultValue);
    } else if constexpr (std::is_same_v<T, IoMRealEditor>) {
        f(d.minimum, d.maximum, d.step, d.unit, d.decimals);
    } else if constexpr (std::is_same_v<T, IoMTextEditor>) {
        f(d.text);
    } else if constexpr (std::is_same_v<T, IoMSwitchEditor>) {
        f(d.value);
    } else if constexpr (std::is_same_v<T, IoMTextsEditor>) {
        f(d.text1, d.text2, d.text3);
    }
}

}  // namespace

// ---- IoMPropertyEditorTemplate ----

void IoMPropertyEditorTemplate::setKind(quint8 kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    m_data = defaultDataOf(kind);
}

template <class F, class Self>
void IoMPropertyEditorTemplate::fields(F& f, Self& s)
{
    f(s.m_kind);
    // The kind read decides which data follows.
    if constexpr (F::kReading)
        s.m_data = defaultDataOf(s.m_kind);
    std::visit([&f](auto& data) { kindFields(f, data); }, s.m_data);
}

void IoMPropertyEditorTemplate::read(InStream& in)
{
    registerIoMetaTypes();  // choice values may hold the IO meta types
    Archive::readFields(in, *this);
}

void IoMPropertyEditorTemplate::write(OutStream& out) const
{
    registerIoMetaTypes();
    Archive::writeFields(out, *this);
}

// ---- IoMPropertyTemplate ----

template <class F, class Self>
void IoMPropertyTemplate::fields(F& f, Self& s)
{
    f(s.name, s.valueKind, s.editor);
    f.since(127, s.strings);
    f.since(143, s.flag);
}

void IoMPropertyTemplate::read(InStream& in) { Archive::readFields(in, *this); }

void IoMPropertyTemplate::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoMTriggerConditionActionTemplate ----

template <class F, class Self>
void IoMTriggerConditionActionTemplate::fields(F& f, Self& s)
{
    f(s.name, s.text, s.propertyTemplates);
    f.since(127, s.strings);
}

void IoMTriggerConditionActionTemplate::read(InStream& in) { Archive::readFields(in, *this); }

void IoMTriggerConditionActionTemplate::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoMConfiguration ----

const std::vector<IoMTriggerConditionActionTemplate>& IoMConfiguration::templatesFor(quint32 arrayId) const
{
    static const std::vector<IoMTriggerConditionActionTemplate> none;
    const auto it = templates.find(arrayId);
    return it == templates.end() ? none : it->second;
}

template <class F, class Self>
void IoMConfiguration::fields(F& f, Self& s)
{
    f(s.name, s.propertyTemplates);
    f.since(150, s.extraPropertyTemplates);
    f(s.templates);
    f.since(150, s.flag);
}

void IoMConfiguration::read(InStream& in)
{
    Archive::readFields(in, *this);
    // Data before 143 stores no flag: every action property then had it.
    if (in.version() < 143) {
        const auto it = templates.find(kActionTemplates);
        if (it != templates.end()) {
            for (IoMTriggerConditionActionTemplate& action : it->second) {
                for (IoMPropertyTemplate& property : action.propertyTemplates)
                    property.flag = true;
            }
        }
    }
}

void IoMConfiguration::write(OutStream& out) const { Archive::writeFields(out, *this); }
