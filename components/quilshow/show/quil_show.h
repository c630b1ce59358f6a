// QuilShow: the one concrete version-1 show, reached through Quil::_gpShow.
//
// It holds the show's items (functions, output nodes, groups, the show
// identifier, fixture elements and fixtures, palettes, DALI fixtures and
// settings, dynamic text) and reads the whole show from a
// ShowStreamer by walking one ordered table of sections, each present in a
// range of stream versions.
// Sections whose records are not readable yet accept only an empty count; a
// show that has items there fails its load with
// "Unsupported version-1 section: <name>".
//
// The show owns all its items. Thread safety: GUI thread only.
#ifndef QUILSHOW_SHOW_QUIL_SHOW_H
#define QUILSHOW_SHOW_QUIL_SHOW_H

#include "components/quilshow/show/dali.h"
#include "components/quilshow/show/dynamic_text.h"
#include "components/quilshow/show/fixture.h"
#include "components/quilshow/show/function.h"
#include "components/quilshow/show/output_node.h"
#include "components/quilshow/show/palette.h"
#include "components/quilshow/show/show_base.h"
#include "components/quilshow/show/show_group.h"

#include <QtGlobal>

#include <array>
#include <map>
#include <set>
#include <vector>

class QuilShow : public Quil::ShowBase
{
public:
    // One section of the show stream: present in [from, below) and, when
    // `alsoFrom` < `alsoBelow`, in that second range too.
    struct Section
    {
        const char* name;
        quint16 from;
        quint32 below;
        void (*read)(QuilShow& show, Quil::ShowStreamer& in, const char* name);
        quint16 alsoFrom = 0;
        quint16 alsoBelow = 0;

        bool presentIn(quint32 version) const
        {
            return (version >= from && version < below) || (version >= alsoFrom && version < alsoBelow);
        }
    };
    // The sections in stream order.
    static const std::vector<Section>& sections();

    QuilShow();
    ~QuilShow() override;

    // Resets the show and makes the default functions.
    void init(int argument) override;
    // Also drops every item.
    void reset() override;
    void stream(Quil::ShowStreamer& in, ProgressTracker* progress) override;

    const sortvector<Quil::Function>& functions() const { return m_functions; }
    // Null when there is no such function.
    const Quil::Function* function(quint32 id) const { return m_functions.find(id); }

    const std::map<quint32, Quil::ShowGroup>& groups() const { return m_groups; }
    void readGroups(Quil::ShowStreamer& in);
    // Adds an empty group unless the id is present.
    void addGroup(quint32 id);
    void clearGroupMembers(quint32 id);
    // Throws std::runtime_error "Unknown group id" for an absent id.
    void setGroupMembers(quint32 id, const std::set<quint16>& members);

    const Quil::OutputNodeShowComponent& outputNodes() const { return m_outputNodes; }
    const Quil::FixtureShowComponent& fixtures() const { return m_fixtures; }
    Quil::FixtureShowComponent& fixtures() { return m_fixtures; }
    // Ids 0 to 65534.
    const sortvector<Quil::Palette>& palettes() const { return m_palettes; }
    const Quil::DALIShowComponent& dali() const { return m_dali; }
    const Quil::DynamicTextShowComponent& dynamicText() const { return m_dynamicText; }
    Quil::DynamicTextShowComponent& dynamicText() { return m_dynamicText; }
    const std::array<quint8, 16>& showIdentifier() const { return m_identifier; }

private:
    void readFunctions(Quil::ShowStreamer& in);
    void updateFunctions(quint16 version);
    void addDefaultFunction(int row);

    sortvector<Quil::Function> m_functions;
    Quil::OutputNodeShowComponent m_outputNodes;
    std::map<quint32, Quil::ShowGroup> m_groups;
    std::array<quint8, 16> m_identifier {};
    Quil::FixtureShowComponent m_fixtures;
    sortvector<Quil::Palette> m_palettes;
    Quil::DALIShowComponent m_dali;
    // Adding fonts or presets marks the show modified.
    Quil::DynamicTextShowComponent m_dynamicText {&modified};
};

#endif  // QUILSHOW_SHOW_QUIL_SHOW_H
