#include "components/lx_objects/programming/preset_data.h"

#include "components/archive/fields.h"

#include <algorithm>

PresetData::PresetData() = default;
PresetData::PresetData(const PresetData&) = default;
PresetData::PresetData(PresetData&&) noexcept = default;
PresetData& PresetData::operator=(const PresetData&) = default;
PresetData& PresetData::operator=(PresetData&&) noexcept = default;
PresetData::~PresetData() = default;
bool PresetData::operator==(const PresetData&) const = default;

namespace {

// The type as a word; reading it resets the preset to the type.
template <class Self>
struct TypeField
{
    Self& data;
};

template <class Self>
TypeField<Self> typeField(Self& data)
{
    return TypeField<Self> {data};
}

InStream& operator>>(InStream& in, TypeField<PresetData> field)
{
    quint32 type = 0;
    in >> type;
    field.data.reset(qint32(type));
    return in;
}

OutStream& operator<<(OutStream& out, TypeField<const PresetData> field)
{
    return out << quint32(field.data.presetType());
}

template <class C>
struct ColourListField
{
    C& colours;
};

template <class C>
ColourListField<C> colourList(C& colours)
{
    return ColourListField<C> {colours};
}

InStream& operator>>(InStream& in, ColourListField<std::vector<RGBData>> field)
{
    readColourList(in, field.colours);
    return in;
}

OutStream& operator<<(OutStream& out, ColourListField<const std::vector<RGBData>> field)
{
    writeColourList(out, field.colours);
    return out;
}

template <class P>
struct PartField
{
    P& part;
};

template <class P>
PartField<P> partField(P& part)
{
    return PartField<P> {part};
}

InStream& operator>>(InStream& in, PartField<PresetPart> field)
{
    readPresetPart(in, field.part);
    return in;
}

OutStream& operator<<(OutStream& out, PartField<const PresetPart> field)
{
    writePresetPart(out, field.part);
    return out;
}

// Older data counted the field of types 6 and 209 on another scale in these
// versions.
bool countedOnOlderScale(quint16 version) { return version < 58 || version == 62; }

// value x (2n - 2) / n for n colours, in 64 bits and held at the largest word.
quint32 rescaled(quint32 value, std::size_t colourCount)
{
    if (colourCount <= 1)
        return value;
    const quint64 n = colourCount;
    return quint32(std::min<quint64>(quint64(value) * (2 * n - 2) / n, 0xFFFFFFFFu));
}

// Type 8 once had a record of its own: its second word became the extra of
// its one colour, the first a level that scales the colour when the fifth is
// 0, and the rest the fields of type 11.
void readOlderType8(InStream& in, PresetPart& part, std::vector<RGBData>& colours)
{
    quint16 l1 = 0;
    quint16 l2 = 0;
    bool l3 = false;
    quint32 l4 = 0;
    quint16 l5 = 0;
    quint16 l6 = 0;
    quint32 l7 = 0;
    quint8 l8 = 0;
    quint16 l9 = 0;
    quint16 l10 = 0;
    in >> l1 >> l2 >> l3 >> l4 >> l5 >> l6 >> l7 >> l8 >> l9 >> l10;

    RGBData colour(255, 255, 255, 255);
    colour.setExtra(l2);
    // 16.16 of l1 / 255, which lies above 1.0 from 256 on: the scale holds
    // each channel at 255.
    if (l5 == 0)
        colour.scale(quint32(quint64(l1) * 65536 / 255));
    colours.assign(1, colour);
    part = PresetPart11 {l3, l4, l5, l1, l6, l7, l8, l9, l10};
}

}  // namespace

void PresetData::reset(int newType)
{
    if (newType == m_presetType)
        return;
    m_presetType = newType;
    m_part = makePresetPart(newType);
}

template <class F, class Self>
void PresetData::fields(F& f, Self& s)
{
    // Older data has them ahead of the element's other fields, read there.
    f.since(100, typeField(s), colourList(s.colours));
    if (s.m_presetType == 8)
        f.since(111, partField(s.m_part)).orRead([&s](InStream& in, auto& field) {
            readOlderType8(in, field.part, s.colours);
        });
    else
        f(partField(s.m_part));
}

void PresetData::resetForRead() { m_part = makePresetPart(m_presetType); }

void PresetData::convertOlderData(quint16 version)
{
    switch (m_presetType) {
    case 0:
        reset(11);
        m_part = PresetPart11 {true, 1000, 0, 128, 128, 0, 0, 1, 1};
        break;
    case 6:
        if (PresetPart6& p = *part<PresetPart6>(); countedOnOlderScale(version) && p.f1 && p.f8 == 2)
            p.f2 = rescaled(p.f2, colours.size());
        break;
    case 209:
        if (PresetPart209& p = *part<PresetPart209>(); countedOnOlderScale(version) && p.f1 && p.f5 == 2)
            p.f2 = rescaled(p.f2, colours.size());
        break;
    case 203:
        // Older data kept the last two fields in the alpha of the first two
        // colours; a missing colour leaves its field as it is.
        if (PresetPart203& p = *part<PresetPart203>(); version < 90) {
            if (!colours.empty()) {
                p.f4 = colours[0].alpha < 128 ? 1 : 0;
                colours[0].kind |= 0x08;
                colours[0].alpha = 255;
            }
            if (colours.size() > 1) {
                p.f5 = float(colours[1].alpha / 255.0);
                colours[1].kind |= 0x08;
                colours[1].alpha = 255;
            }
        }
        break;
    case 208:
        // The flag chose a second colour: a copy of the first, whose alpha
        // then went to 0, or a transparent black (also where no first colour
        // is there to copy).
        if (PresetPart208& p = *part<PresetPart208>(); version < 103) {
            if (p.olderFlag != 0 && !colours.empty()) {
                colours.push_back(colours.front());
                colours.front().kind |= 0x08;
                colours.front().alpha = 0;
            } else {
                colours.push_back(RGBData(0, 0, 0, 0));
            }
            p.olderFlag = 0;
        }
        break;
    default:
        break;
    }
}

void PresetData::read(InStream& in)
{
    Archive::readFields(in, *this);
    convertOlderData(in.version());
}

void PresetData::write(OutStream& out) const { Archive::writeFields(out, *this); }

void readColourList(InStream& in, std::vector<RGBData>& colours)
{
    StreamDetail::readContainer(in, StreamCode::Vector, colours, [&] {
        RGBData colour;
        in >> Archive::inlineFields(colour);
        colours.push_back(colour);
    });
}

void writeColourList(OutStream& out, const std::vector<RGBData>& colours)
{
    out.beginSection(StreamCode::Vector, true);
    out.writeCount(colours.size());
    for (const RGBData& colour : colours)
        out << Archive::inlineFields(colour);
    out.endSection(StreamCode::Vector);
}

int presetTypeCategory(int presetType)
{
    if (presetType >= 0 && presetType <= 13)
        return 0;
    if (presetType == 100)
        return 2;
    if (presetType == 200)
        return 3;
    if (presetType == 206)
        return 5;
    if (presetType >= 201 && presetType <= 219)
        return 1;
    if (presetType >= 300 && presetType <= 303)
        return 4;
    return 6;
}
