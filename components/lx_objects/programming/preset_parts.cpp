#include "components/lx_objects/programming/preset_parts.h"

#include "components/archive/fields.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

using Archive::inlineFields;

// What data older than 89 implies for the word of types 211 to 213: 3525
// divided by the second float, truncated; 0 where that is no 32-bit count (a
// zero, infinite or negative divisor).
quint32 olderQuotient(float divisor)
{
    const double quotient = std::trunc(3525.0 / double(divisor));
    return std::isfinite(quotient) && quotient >= 0.0 && quotient <= 4294967295.0 ? quint32(quotient) : 0;
}

}  // namespace

template <class F, class Self>
void PresetPart1::fields(F& f, Self& s)
{
    f(s.gradient, s.f2, s.f3);
}

template <class F, class Self>
void PresetPart2::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8);
    f.since(121, s.f9).orSet(1);
}

template <class F, class Self>
void PresetPart3::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7);
    f.since(29, s.f8).orSet(65536);
}

template <class F, class Self>
void PresetPart4::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3);
}

template <class F, class Self>
void PresetPart5::fields(F& f, Self& s)
{
    f(s.f1, s.f2);
}

template <class F, class Self>
void PresetPart6::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8);
}

template <class F, class Self>
void PresetPart7::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9);
}

template <class F, class Self>
void PresetPart9::fields(F& f, Self& s)
{
    f(s.gradient, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9);
}

template <class F, class Self>
void PresetPart10::fields(F& f, Self& s)
{
    f(s.f1);
}

template <class F, class Self>
void PresetPart11::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9);
}

template <class F, class Self>
void PresetPart12::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9, s.f10);
}

template <class F, class Self>
void PresetPart100::fields(F& f, Self& s)
{
    f(s.f1);
}

template <class F, class Self>
void PresetPart200::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9);
    // 105 to 108 stored four words of which the first and second were the
    // later f10 and f12.
    f.since(105, s.f10);
    f.since(109, s.f11);
    f.since(105, s.f12);
    f.since(109, s.f13);
    f.droppedWhen([](quint16 v) { return v >= 105 && v < 109; }, quint32());
    f.droppedWhen([](quint16 v) { return v >= 105 && v < 109; }, quint32());
    f.since(120, s.f14);
}

template <class F, class Self>
void PresetPart201::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.contour, s.f4);
}

template <class F, class Self>
void PresetPart202::fields(F& f, Self& s)
{
    f(s.gradient, s.contour);
}

template <class F, class Self>
void PresetPart203::fields(F& f, Self& s)
{
    f(s.f1, s.f2);
    f.since(86, s.f3).orSet(12345);
    f.since(90, s.f4);
    f.since(90, s.f5).orSet(1.0f);
}

template <class F, class Self>
void PresetPart204::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.contour, s.f5, s.f6, s.f7, s.f8);
}

template <class F, class Self>
void PresetPart205::fields(F& f, Self& s)
{
    f(s.f1, s.f2);
    f.since(123, s.f3, s.f4, s.f5, s.f6);
    f.since(120, s.f7);
}

template <class F, class Self>
void PresetPart206::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.properties);
}

template <class F, class Self>
void PresetPart207::fields(F& f, Self& s)
{
    f(s.gradient, s.f2, s.f3, s.f4, s.f5, s.f6);
    f.since(84, s.f7).orRead([](InStream& in, quint16& value) {
        in >> value;
        value = std::min<quint16>(value, 8);
    });
    f(s.f8, s.f9);
}

template <class F, class Self>
void PresetPart208::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.dynamicTextId);
    f.onlyBefore(103, s.olderFlag);
    f(s.text, s.textProperties);
}

template <class F, class Self>
void PresetPart209::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.contour);
    f.since(100, s.f7);
}

template <class F, class Self>
void PresetPart210::fields(F& f, Self& s)
{
    f(s.particles);
}

template <class F, class Self>
void PresetPart211::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5);
    f.since(89, s.f6).orSet(olderQuotient(s.f5));
    f(s.f7, s.f8);
}

template <class F, class Self>
void PresetPart214::fields(F& f, Self& s)
{
    f(s.gradient, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9, s.f10);
}

template <class F, class Self>
void PresetPart215::fields(F& f, Self& s)
{
    f(s.gradient, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7);
}

template <class F, class Self>
void PresetPart216::fields(F& f, Self& s)
{
    f(s.gradient, inlineFields(s.colour), s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9);
}

template <class F, class Self>
void PresetPart217::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.gradient, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9, s.f10, s.f11, s.f12);
}

template <class F, class Self>
void PresetPart218::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.contour, s.f5, s.f6, s.f7, s.f8, s.f9);
}

template <class F, class Self>
void PresetPart219::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3, s.f4, s.f5, s.f6, s.f7, s.f8, s.f9, s.f10, s.f11);
}

template <class F, class Self>
void PresetPart300::fields(F& f, Self& s)
{
    f(s.f1, s.f2);
}

template <class F, class Self>
void PresetPart302::fields(F& f, Self& s)
{
    f(inlineFields(s.colour), s.f2);
}

template <class F, class Self>
void PresetPart303::fields(F& f, Self& s)
{
    f(s.f1, s.f2, s.f3);
}

PresetPart makePresetPart(int presetType)
{
    switch (presetType) {
    case 1:
        return PresetPart1();
    case 2:
        return PresetPart2();
    case 3:
        return PresetPart3();
    case 4:
        return PresetPart4();
    case 5:
        return PresetPart5();
    case 6:
        return PresetPart6();
    case 7:
        return PresetPart7();
    case 8:
    case 11:
        return PresetPart11();
    case 9:
        return PresetPart9();
    case 10:
        return PresetPart10();
    case 12:
        return PresetPart12();
    case 100:
        return PresetPart100();
    case 200:
        return PresetPart200();
    case 201:
        return PresetPart201();
    case 202:
        return PresetPart202();
    case 203:
        return PresetPart203();
    case 204:
        return PresetPart204();
    case 205:
        return PresetPart205();
    case 206:
        return PresetPart206();
    case 207:
        return PresetPart207();
    case 208:
        return PresetPart208();
    case 209:
        return PresetPart209();
    case 210:
        return PresetPart210();
    case 211:
    case 212:
    case 213:
        return PresetPart211();
    case 214:
        return PresetPart214();
    case 215:
        return PresetPart215();
    case 216:
        return PresetPart216();
    case 217:
        return PresetPart217();
    case 218:
        return PresetPart218();
    case 219:
        return PresetPart219();
    case 300:
    case 301:
        return PresetPart300();
    case 302:
        return PresetPart302();
    case 303:
        return PresetPart303();
    default:
        return std::monostate();
    }
}

void readPresetPart(InStream& in, PresetPart& part)
{
    std::visit(
        [&in](auto& record) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(record)>, std::monostate>)
                Archive::readFields(in, record);
        },
        part);
}

void writePresetPart(OutStream& out, const PresetPart& part)
{
    std::visit(
        [&out](const auto& record) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(record)>, std::monostate>)
                Archive::writeFields(out, record);
        },
        part);
}
