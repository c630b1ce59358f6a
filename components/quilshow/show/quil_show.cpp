#include "components/quilshow/show/quil_show.h"

#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/show/show_streamer.h"
#include "components/quilshow/show/unsupported_section.h"
#include "seltrane_components/os/progress_tracker.h"

#include <memory>
#include <stdexcept>
#include <vector>

using namespace Quil;

namespace {

const quint32 kAnyVersion = 0x10000;
// The progress stage the whole-show read opens.
const unsigned kShowProgressSteps = 22;
// Function ids fit the one byte that palette values keep of them.
const quint32 kMaximumFunctionCount = 256;
// Ids 0 to 65534: records use 0xFFFF for "none".
const quint32 kMaximumPaletteCount = 0xFFFF;

void readEmpty(QuilShow&, ShowStreamer& in, const char* name) { readEmptySection(in, name); }

}  // namespace

const std::vector<QuilShow::Section>& QuilShow::sections()
{
    static const std::vector<Section> table = {
        {"functions", 0, kAnyVersion, [](QuilShow& s, ShowStreamer& in, const char*) { s.readFunctions(in); }},
        {"output nodes", 0, kAnyVersion, [](QuilShow& s, ShowStreamer& in, const char*) { s.m_outputNodes.read(in); }},
        {"show settings", 0, kAnyVersion,
         [](QuilShow& s, ShowStreamer& in, const char*) { s.settings.stream(in, s.folder); }},
        {"groups", 0, 164, [](QuilShow& s, ShowStreamer& in, const char*) { s.readGroups(in); }, 200, 211},
        {"show identifier", 0, kAnyVersion,
         [](QuilShow& s, ShowStreamer& in, const char*) { in.readUuid(s.m_identifier); }},
        {"fixture elements", 0, kAnyVersion,
         [](QuilShow& s, ShowStreamer& in, const char*) { s.m_fixtures.readElements(in); }},
        {"fixtures", 0, kAnyVersion, [](QuilShow& s, ShowStreamer& in, const char*) { s.m_fixtures.readFixtures(in); }},
        {"palettes", 0, kAnyVersion,
         [](QuilShow& s, ShowStreamer& in, const char*) { readItemList(in, s.m_palettes); }},
        {"DALI", 0, kAnyVersion, [](QuilShow& s, ShowStreamer& in, const char*) { s.m_dali.read(in); }},
        {"dynamic text", 219, kAnyVersion,
         [](QuilShow& s, ShowStreamer& in, const char*) { s.m_dynamicText.read(in); }},
        {"reference groups", 0, kAnyVersion, readEmpty},
        {"pixel matrices", 0, kAnyVersion, readEmpty},
        {"triggers", 0, kAnyVersion, readEmpty},
        {"timelines", 0, kAnyVersion, readEmpty},
        {"media clips", 0, kAnyVersion, readEmpty},
        {"video clips", 0, kAnyVersion, readEmpty},
        {"Kelvo items", 0, kAnyVersion, readEmpty},
        {"audio-video clips", 0, kAnyVersion, readEmpty},
        {"custom presets", 0, kAnyVersion, readEmpty},
        {"media slots", 0, kAnyVersion, readEmpty},
        {"audio-video resources", 0, kAnyVersion, readEmpty},
        {"video resources", 0, kAnyVersion, readEmpty},
        {"audio resources", 0, kAnyVersion, readEmpty},
        {"KNV configurations", 0, kAnyVersion, readEmpty},
    };
    return table;
}

QuilShow::QuilShow() : m_functions(32, kMaximumFunctionCount), m_palettes(1024, kMaximumPaletteCount) {}

QuilShow::~QuilShow() = default;

void QuilShow::init(int argument)
{
    ShowBase::init(argument);
    for (int row = 0; row < kDefaultFunctionCount; ++row)
        addDefaultFunction(row);
}

void QuilShow::reset()
{
    ShowBase::reset();
    m_functions.clear();
    m_outputNodes.clear();
    m_groups.clear();
    m_identifier.fill(0);
    m_fixtures.clear();
    m_palettes.clear();
    m_dali.clear();
    m_dynamicText.clear();
}

void QuilShow::stream(ShowStreamer& in, ProgressTracker* progress)
{
    ShowBase::stream(in, progress);
    // Ended however the read ends: a damaged show throws out of a section.
    ProgressStage stage(progress, kShowProgressSteps);
    unsigned step = 0;
    for (const Section& section : sections()) {
        if (section.presentIn(in.version))
            section.read(*this, in, section.name);
        stage.step(++step);
    }
}

void QuilShow::addDefaultFunction(int row)
{
    std::unique_ptr<Function> function(makeDefaultFunction(row));
    if (m_functions.insert(function.get(), function->id()) >= 0)
        function.release();
}

void QuilShow::readFunctions(ShowStreamer& in)
{
    const quint16 version = in.version;
    quint16 count = 0;
    in.readU16(count);
    // Two markers, id, name count and mask.
    in.checkAvailable(count, 12);
    std::vector<std::unique_ptr<Function>> read;
    read.reserve(count);
    for (quint16 i = 0; i < count; ++i) {
        auto function = std::make_unique<Function>();
        function->stream(in);
        if (lowersFunctionRenumberThreshold(function->id(), version))
            setFunctionRenumberThreshold(kLowFunctionRenumberThreshold);
        read.push_back(std::move(function));
    }
    // Ids move only once the whole table told which numbering the show used.
    for (auto& function : read) {
        const quint32 id = renumberFunction(function->id(), version);
        if (m_functions.insert(function.get(), id) >= 0)
            function.release();
    }
    updateFunctions(version);
}

void QuilShow::updateFunctions(quint16 version)
{
    if (version < 303) {
        for (int row = 23; row <= 29; ++row)
            addDefaultFunction(row);
    }
    if (version < 313) {
        addDefaultFunction(1);
        Function* function = m_functions.find(1);
        function->name = kDefaultFunctions[1].name;
        function->categoryMask = kDefaultFunctions[1].categoryMask;
    }
    if (version < 403) {
        addDefaultFunction(22);
        m_functions.find(22)->name = kDefaultFunctions[22].name;
        addDefaultFunction(30);
    }
}

void QuilShow::readGroups(ShowStreamer& in)
{
    const quint16 v = in.version;
    if ((v >= 158 && v <= 199) || v >= 208) {
        in.readGroupMap(m_groups);
        return;
    }
    std::map<quint32, std::set<quint16>> members;
    in.readU16SetMap(members);
    for (auto& entry : members)
        m_groups[entry.first].members = std::move(entry.second);
}

void QuilShow::addGroup(quint32 id) { m_groups.emplace(id, ShowGroup()); }

void QuilShow::clearGroupMembers(quint32 id)
{
    const auto it = m_groups.find(id);
    if (it != m_groups.end())
        it->second.members.clear();
}

void QuilShow::setGroupMembers(quint32 id, const std::set<quint16>& members)
{
    const auto it = m_groups.find(id);
    if (it == m_groups.end())
        throw std::runtime_error("Unknown group id");
    it->second.members = members;
}
