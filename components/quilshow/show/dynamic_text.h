// Dynamic text of a version-1 show: the fonts, the text presets that
// timelines play on pixel matrices and the named text slots whose text
// triggers change; and the show component that holds them with its look-up
// tables (presets by font, text sources by name, number formats).
//
// The component owns its items; it is filled once per load, and addFont /
// addTextPreset may add items afterwards (setting the show's modified flag,
// which the owning show hands in). Thread safety: GUI thread only, like the
// show.
#ifndef QUILSHOW_SHOW_DYNAMIC_TEXT_H
#define QUILSHOW_SHOW_DYNAMIC_TEXT_H

#include "components/quilshow/show/show_thing.h"

#include <QtGlobal>

#include <array>
#include <functional>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quil {

class FontData : public ShowThing
{
public:
    static constexpr int kMetricWordCount = 1122;
    typedef std::array<quint32, kMetricWordCount> Metrics;

    sortvector_el* clone() const override { return new FontData(*this); }
    void stream(ShowStreamer& in) override;
    bool operator==(const FontData&) const = default;

    // Filled by a metrics provider; zero while none computed them.
    Metrics metrics {};
    bool metricsStale = true;
    std::string name;        // show text
    std::string secondName;  // show text
    quint32 size = 16;
    bool styleFlag0 = false;
    bool styleFlag1 = false;
    bool styleFlag2 = true;
    // Text presets that use the font.
    quint32 presetCount = 0;
};

class TextSlot : public ShowThing
{
public:
    sortvector_el* clone() const override { return new TextSlot(*this); }
    void stream(ShowStreamer& in) override;
    bool operator==(const TextSlot&) const = default;

    std::string name;  // show text
    std::string text;  // show text
    quint8 state = 0;  // not stored
};

class DynamicTextPreset : public ShowThing
{
public:
    sortvector_el* clone() const override { return new DynamicTextPreset(*this); }
    // Reads the stored fields only; what older streams derive from the font
    // is done by the component, which owns the fonts.
    void stream(ShowStreamer& in) override;
    bool operator==(const DynamicTextPreset&) const = default;

    std::list<std::pair<quint16, quint32>> parts;
    std::vector<std::string> strings;  // show texts
    std::vector<quint32> numbers;
    quint32 fontId = 0xFFFFFFFF;
    quint16 direction = 0;
    quint8 byteA = 0;
    quint16 alignment = 0;
    quint16 orientation = 0;
    quint8 fontMetricSwitch = 0;
    quint8 byteB = 0;
    quint32 offset = 0;
    quint16 changeBehaviour = 0;
    quint16 numberC = 4;
    quint16 sourceKind = 0;
    // Meaningful only for source kinds 1 and 2.
    quint16 sourceValue = 0;
    quint16 valueA = 0;
    quint16 valueB = 0;
};

// What a load reads into the component: compared as a whole, apart from
// the metrics provider and the modified flag of its owner.
struct DynamicTextTables
{
    DynamicTextTables() : fonts(16, 16), textPresets(1024, 1024), textSlots(1024, 1024) {}
    bool operator==(const DynamicTextTables&) const = default;

    sortvector<FontData> fonts;
    sortvector<DynamicTextPreset> textPresets;
    sortvector<TextSlot> textSlots;
    std::map<quint32, std::set<quint32>> presetsByFont;
    std::map<quint32, std::set<quint32>> secondPresetsByFont;
    std::string upperCaseFormat = "%X";
    std::string lowerCaseFormat = "%x";
    // Show text -> source id: "time", "date" and every text slot's name.
    std::map<std::string, quint32> textSources;
};

class DynamicTextShowComponent : public DynamicTextTables
{
public:
    static constexpr quint32 kTimeSource = 0xF0000000;
    static constexpr quint32 kDateSource = 0xF0000001;
    // Fills a font's metrics block; none is installed by this program.
    typedef std::function<void(const FontData& font, FontData::Metrics& metrics)> MetricsProvider;

    // `modified` is the owning show's modified flag (may be null).
    explicit DynamicTextShowComponent(quint16* modified = nullptr);
    virtual ~DynamicTextShowComponent();

    // Reads the component's section of the show stream.
    void read(ShowStreamer& in);
    void clear();

    // The preset / font with this id; a missing one stops the program.
    const DynamicTextPreset& getTextPreset(quint32 presetId) const;
    const FontData& getFont(quint32 fontId) const;
    FontData& getFont(quint32 fontId);

    // A default font under the lowest free id, or -1 when the table is full.
    int addFont();
    // A default preset on the first font (made when there is none), under the
    // lowest free id; -1 when either table is full.
    int addTextPreset();

    MetricsProvider metricsProvider;

private:
    // What streams below version 242 / 393 derive from the preset's font.
    void completeOldPreset(DynamicTextPreset& preset, quint16 version);
    void markModified();

    quint16* m_modified;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_DYNAMIC_TEXT_H
