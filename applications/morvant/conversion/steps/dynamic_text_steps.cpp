// Dynamic text: fonts, rendered as bitmap fonts, and the texts of text slots.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/lx_engine/programming/bitmap_font_cache.h"
#include "components/lx_objects/media/font_data.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/quilshow/show/quil_show.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace {

QString fontItem(const Quil::FontData& font)
{
    return ConversionReport::itemName("font", font.id(), Quil::toQString(font.name));
}

// The font's size as its bitmap is drawn: a size outside what bitmaps are
// drawn at is stored as drawn, so that the two agree.
quint32 drawnSize(const Quil::FontData& from)
{
    return std::clamp(from.size, FontDescriptor::kMinSize, FontDescriptor::kMaxSize);
}

Archive::Pointer<::FontData> fontOf(ConversionContext& context, const Quil::FontData& from)
{
    const auto font = Archive::makeObject<::FontData>();
    font->name = Quil::toQString(from.name);
    font->family = Quil::toQString(from.secondName.empty() ? from.name : from.secondName);
    font->size = drawnSize(from);
    font->styleFlags = quint8((from.styleFlag0 ? ::FontData::kBold : 0) | (from.styleFlag1 ? ::FontData::kItalic : 0)
                              | (from.styleFlag2 ? ::FontData::kAntialiased : 0));
    // Renders on the GUI thread; the cache keeps each font for the next.
    font->bitmap = context.fonts.fontFor(FontDescriptor::of(*font));
    return font;
}

void convertFonts(ConversionContext& context)
{
    context.report.touch(ReportKind::Fonts);
    for (const Quil::FontData& from : context.show.dynamicText().fonts) {
        try {
            const Archive::ObjectId id = context.add(::FontData::kArrayId, fontOf(context, from));
            // Numbered once it is in: a font left out takes no number.
            Archive::ObjectPtr edited;
            if (auto* added = context.edit<::FontData>(::FontData::kArrayId, id, edited))
                added->number = context.freeFontNumbers.take();
            context.ids.insert(IdKind::Font, from.id(), id);
            context.report.made(ReportKind::Fonts);
            if (drawnSize(from) != from.size) {
                context.report.changed(
                    ReportKind::Fonts, from.id(),
                    QStringLiteral("The size %1 of %2 is outside the sizes fonts are drawn at (%3 "
                                   "to %4): it arrives at size %5")
                        .arg(QString::number(from.size), fontItem(from), QString::number(FontDescriptor::kMinSize),
                             QString::number(FontDescriptor::kMaxSize), QString::number(drawnSize(from))),
                    Causes::kFontSizeClamped);
            }
        } catch (const Archive::archive_exception& error) {
            context.report.refused(ReportKind::Fonts, fontItem(from), error);
        }
    }
    context.report.flushLimits();
}

// The project keeps one text per slot name, and no slot without a text.
void convertTextSlots(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::TextSlots);
    Archive::ObjectPtr holder;
    auto* values = context.edit<TextSlotValues>(TextSlotValues::kArrayId, TextSlotValues::kObjectId, holder);
    // Made with the project: missing, the project is not one this program made.
    if (!values)
        throw std::runtime_error("The output project has no text slot values");
    std::map<QString, quint32> named;
    for (const Quil::TextSlot& from : context.show.dynamicText().textSlots) {
        const QString name = Quil::toQString(from.name);
        const QString item = ConversionReport::itemName("text slot", from.id(), name);
        const QString slotText = Quil::toQString(from.text);
        if (slotText.isEmpty()) {
            report.ignore(ReportKind::TextSlots, item, QStringLiteral("it has no text"), Causes::kNoText);
            continue;
        }
        if (const auto earlier = named.find(name); earlier != named.end()) {
            report.ignore(ReportKind::TextSlots, item,
                          QStringLiteral("text slot %1 has the same name").arg(earlier->second), Causes::kSameSlotName);
            continue;
        }
        named.emplace(name, from.id());
        values->setSlotText(name, slotText);
        report.made(ReportKind::TextSlots);
    }
}

}  // namespace

void ConversionSteps::convertDynamicText(ConversionContext& context)
{
    convertFonts(context);
    convertTextSlots(context);
    // Presets have no object of their own: the timelines that play them
    // carry their settings, and no timeline of a version-1 show is read.
    for (const Quil::DynamicTextPreset& preset : context.show.dynamicText().textPresets) {
        context.report.ignore(ReportKind::TextPresets, QStringLiteral("text preset %1").arg(preset.id()),
                              QStringLiteral("a text preset arrives with the timelines that play it, and no timeline "
                                             "of a version-1 show is read"),
                              Causes::kOnlyWithTimelines);
    }
}
