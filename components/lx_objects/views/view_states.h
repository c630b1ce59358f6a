// The persisted states of the design application's views that hold more than
// their open tabs: colours, browser paths, the interface manager's draft, the
// report and export settings, the timeline and trigger editors and the patch
// view. This system only creates, streams and copies them; what their numbers
// mean is the views' business.
//
// InterfaceManagerState embeds a NewInterfaceData whose default page holds a
// Gradient, which has no stream form yet: it is read from data without that
// block (and without pages), but writing it fails with the gradient's error.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VIEWS_VIEW_STATES_H
#define LX_OBJECTS_VIEWS_VIEW_STATES_H

#include "components/archive/object.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"
#include "components/lx_objects/views/new_interface_data.h"
#include "components/lx_objects/views/view_values.h"

#include <QString>

#include <map>
#include <set>
#include <utility>
#include <vector>

// Colours as 0xAARRGGBB.
class ColourDataState final : public Archive::Object<ColourDataState>
{
public:
    static constexpr quint32 kTypeCode = 259;

    std::vector<quint32> firstColours;
    std::vector<quint32> secondColours;

    bool operator==(const ColourDataState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ColourDataState>;

class BrowserState final : public Archive::Object<BrowserState>
{
public:
    static constexpr quint32 kTypeCode = 260;

    std::set<BrowserModelPath> paths;

    bool operator==(const BrowserState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<BrowserState>;

class InterfaceManagerState final : public AbstractTabBarState
{
public:
    static constexpr quint32 kTypeCode = 262;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    InterfaceManagerState* clone() const override { return new InterfaceManagerState(*this); }

    NewInterfaceData newInterface;
    std::map<quint32, NewInterfacePageData> newPages;

    bool operator==(const InterfaceManagerState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class ReportWidgetState final : public Archive::Object<ReportWidgetState>
{
public:
    static constexpr quint32 kTypeCode = 263;

    std::vector<std::map<quint32, std::pair<quint32, quint32>>> pairMaps;

    bool operator==(const ReportWidgetState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ReportWidgetState>;

class ExportWizardState final : public Archive::Object<ExportWizardState>
{
public:
    static constexpr quint32 kTypeCode = 264;

    std::map<quint32, std::set<QString>> stringSets;

    bool operator==(const ExportWizardState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<ExportWizardState>;

class TimelineViewState final : public Archive::Object<TimelineViewState, AbstractTabBarState>
{
public:
    static constexpr quint32 kTypeCode = 267;

    std::map<quint32, TimelineTransformData> timelineTransforms;
    std::vector<quint16> shortValues;

    bool operator==(const TimelineViewState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<TimelineViewState, AbstractTabBarState>;

class TriggerViewState final : public Archive::Object<TriggerViewState, AbstractTabBarState>
{
public:
    static constexpr quint32 kTypeCode = 268;

    std::vector<qint32> intValues;
    std::map<quint32, SourceCodeEditorData> editorStates;

    bool operator==(const TriggerViewState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<TriggerViewState, AbstractTabBarState>;

// A new state holds the patch view's four default settings; a read replaces
// them with what the data holds, none included.
class PatchViewState final : public Archive::Object<PatchViewState>
{
public:
    static constexpr quint32 kTypeCode = 334;

    std::map<quint16, qint32> valuesByKey {{1, 150}, {3, 150}, {4, 150}, {6, 175}};

    bool operator==(const PatchViewState&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<PatchViewState>;

#endif  // LX_OBJECTS_VIEWS_VIEW_STATES_H
