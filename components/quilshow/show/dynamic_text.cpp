#include "components/quilshow/show/dynamic_text.h"

#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/report_error.h"

#include <memory>

namespace Quil {

namespace {

// Streams below version 389 kept text in front of the format: it starts at
// the format's last occurrence.
void cutToLastFormat(std::string& format, const char* code)
{
    const std::string::size_type at = format.rfind(code);
    if (at != std::string::npos && at > 0)
        format.erase(0, at);
}

}  // namespace

void FontData::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    if (v >= 213)
        in.expectMarker(0x013C);
    quint16 id = 0;
    in.readU16(id);
    setId(id);
    in.readText(name).readText(secondName).readU32(size);
    in.readBool(styleFlag0).readBool(styleFlag1);
    if (v >= 241)
        in.readBool(styleFlag2);
    if (v >= 214) {
        quint32 count = 0;
        in.readU32(count);
        if (v >= 242)
            presetCount = count;
    }
    metricsStale = true;
    if (v >= 213)
        in.expectMarker(0x013D);
}

void TextSlot::stream(ShowStreamer& in)
{
    in.expectMarker(0x0144);
    quint16 id = 0;
    in.readU16(id);
    setId(id);
    in.readText(name).readText(text);
    in.expectMarker(0x0145);
}

void DynamicTextPreset::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(0x0142);
    quint16 id = 0;
    in.readU16(id);
    setId(id);

    quint32 partCount = 0;
    in.readU32(partCount);
    in.checkAvailable(partCount, 6);
    parts.clear();
    for (quint32 i = 0; i < partCount; ++i) {
        std::pair<quint16, quint32> part;
        in.readU16(part.first).readU32(part.second);
        parts.push_back(part);
    }
    const quint32 stringCount = in.readCount();
    in.checkAvailable(stringCount, in.countSize());
    strings.assign(stringCount, std::string());
    for (std::string& text : strings)
        in.readText(text);
    in.readU32Vector(numbers);

    in.readU32(fontId);
    in.readU16(direction).readU8(byteA).readU16(alignment);
    if (v >= 231)
        in.readU16(orientation);
    in.readU8(fontMetricSwitch).readU8(byteB);
    if (v >= 393)
        in.readU32(offset);
    if (v < 240) {
        quint8 discarded = 0;
        in.readU8(discarded);
    }
    if (v >= 223)
        in.readU16(changeBehaviour);
    if (v >= 224)
        in.readU16(numberC);
    sourceKind = 0;
    if ((v >= 245 && v <= 279) || v >= 282) {
        in.readU16(sourceKind);
        if (sourceKind == 1 || sourceKind == 2)
            in.readU16(sourceValue);
    }
    in.readU16(valueA);
    if (v >= 226)
        in.readU16(valueB);
    in.expectMarker(0x0143);
}

DynamicTextShowComponent::DynamicTextShowComponent(quint16* modified) : m_modified(modified) { clear(); }

DynamicTextShowComponent::~DynamicTextShowComponent() = default;

void DynamicTextShowComponent::clear()
{
    fonts.clear();
    textPresets.clear();
    textSlots.clear();
    presetsByFont.clear();
    secondPresetsByFont.clear();
    upperCaseFormat = "%X";
    lowerCaseFormat = "%x";
    textSources.clear();
    textSources["time"] = kTimeSource;
    textSources["date"] = kDateSource;
}

void DynamicTextShowComponent::completeOldPreset(DynamicTextPreset& preset, quint16 version)
{
    // A preset naming a font the show lacks is kept; its offset then rests on
    // zero metrics, as it does for every font while no provider computed them.
    FontData* font = fonts.find(preset.fontId);
    if (version < 242 && font)
        ++font->presetCount;
    if (version >= 393)
        return;
    FontData::Metrics noMetrics {};
    const FontData::Metrics* metrics = &noMetrics;
    if (font) {
        if (font->metricsStale && metricsProvider) {
            metricsProvider(*font, font->metrics);
            font->metricsStale = false;
        }
        metrics = &font->metrics;
    }
    const quint32 base =
        preset.fontMetricSwitch ? (*metrics)[0] : (preset.orientation != 0 ? preset.valueA : preset.valueB);
    preset.offset = base - (*metrics)[1];
    if (preset.orientation == 1 && preset.direction <= 1)
        preset.direction = preset.direction == 0 ? 1 : 0;
}

void DynamicTextShowComponent::read(ShowStreamer& in)
{
    const quint16 v = in.version;
    readItemList(in, fonts);
    if (v >= 222)
        readItemList(in, textSlots);
    readItemList(in, textPresets, [&](DynamicTextPreset& preset) { completeOldPreset(preset, v); });

    if (v >= 221) {
        in.readU32SetMap(presetsByFont);
    } else {
        for (const DynamicTextPreset& preset : textPresets)
            presetsByFont[preset.fontId].insert(preset.id());
    }
    if (v >= 222)
        in.readU32SetMap(secondPresetsByFont);

    if (v >= 362) {
        in.readString(upperCaseFormat).readString(lowerCaseFormat);
        if (v < 389) {
            cutToLastFormat(upperCaseFormat, "%X");
            cutToLastFormat(lowerCaseFormat, "%x");
        }
    } else {
        upperCaseFormat = "%X";
        lowerCaseFormat = "%x";
    }

    for (const TextSlot& slot : textSlots)
        textSources[slot.name] = slot.id();
}

const DynamicTextPreset& DynamicTextShowComponent::getTextPreset(quint32 presetId) const
{
    SELTRANE_ASSERT(textPresets.exists(presetId));
    return *textPresets.find(presetId);
}

const FontData& DynamicTextShowComponent::getFont(quint32 fontId) const
{
    SELTRANE_ASSERT(fonts.exists(fontId));
    return *fonts.find(fontId);
}

FontData& DynamicTextShowComponent::getFont(quint32 fontId)
{
    SELTRANE_ASSERT(fonts.exists(fontId));
    return *fonts.find(fontId);
}

void DynamicTextShowComponent::markModified()
{
    if (m_modified)
        *m_modified = 1;
}

int DynamicTextShowComponent::addFont()
{
    auto font = std::make_unique<FontData>();
    const int id = fonts.insert(font.get());
    if (id < 0)
        return -1;
    font.release();
    markModified();
    return id;
}

int DynamicTextShowComponent::addTextPreset()
{
    // A full table must not leave behind a font made for the preset.
    if (textPresets.size() >= textPresets.maximumSize())
        return -1;
    FontData* font = fonts.first();
    if (!font) {
        const int fontId = addFont();
        if (fontId < 0)
            return -1;
        font = fonts.find(static_cast<quint32>(fontId));
    }
    auto preset = std::make_unique<DynamicTextPreset>();
    preset->fontId = font->id();
    const int id = textPresets.insert(preset.get());
    if (id < 0)
        return -1;
    preset.release();
    ++font->presetCount;
    presetsByFont[font->id()].insert(static_cast<quint32>(id));
    markModified();
    return id;
}

}  // namespace Quil
