// The parts of a timeline preset: one plain record per stored layout, named
// after the lowest preset type that uses it (PresetPart11 serves types 8 and
// 11, PresetPart211 types 211 to 213, PresetPart300 types 300 and 301).
// Fields are named by their place in the record, f1 onward; a nested value
// keeps its place and is named for what it is. PresetPart is the one part a
// PresetData holds: std::monostate for the types without one.
//
// A new record holds what a new preset of its type starts with; every field a
// new preset leaves to the code that chooses the type is zero, so nothing
// unset reaches a file.
//
// Ownership: a record owns its gradient (never null after a read; none is
// written as an empty gradient) and its other nested values; copies are deep.
// One thread uses a value at a time.
#ifndef LX_OBJECTS_PROGRAMMING_PRESET_PARTS_H
#define LX_OBJECTS_PROGRAMMING_PRESET_PARTS_H

#include "components/archive/stream_fwd.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/colour_gradient.h"
#include "components/lx_objects/programming/contour_parameters.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/dynamic_text.h"
#include "components/lx_objects/programming/particle_system.h"

#include <variant>

struct PresetPart1
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    quint16 f2 = 0;
    quint16 f3 = 0;

    bool operator==(const PresetPart1&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart2
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    qint32 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint16 f7 = 0;
    quint16 f8 = 0;
    quint8 f9 = 0;

    bool operator==(const PresetPart2&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart3
{
    bool f1 = false;
    quint32 f2 = 0;
    quint32 f3 = 0;
    quint8 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint8 f7 = 0;
    quint32 f8 = 0;

    bool operator==(const PresetPart3&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart4
{
    qint32 f1 = 0;
    qint32 f2 = 0;
    quint8 f3 = 0;

    bool operator==(const PresetPart4&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart5
{
    qint32 f1 = 0;
    quint32 f2 = 0;

    bool operator==(const PresetPart5&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart6
{
    bool f1 = false;
    quint32 f2 = 0;
    qint32 f3 = 0;
    quint32 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint8 f7 = 0;
    quint8 f8 = 0;

    bool operator==(const PresetPart6&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart7
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    quint16 f4 = 0;
    quint16 f5 = 0;
    quint8 f6 = 0;
    quint16 f7 = 0;
    quint16 f8 = 0;
    quint8 f9 = 0;

    bool operator==(const PresetPart7&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart9
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    qint32 f2 = 0;
    quint16 f3 = 0;
    quint8 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint16 f7 = 0;
    quint16 f8 = 0;
    quint8 f9 = 0;

    bool operator==(const PresetPart9&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart10
{
    quint8 f1 = 0;

    bool operator==(const PresetPart10&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart11
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    quint16 f4 = 0;
    quint16 f5 = 0;
    quint32 f6 = 0;
    quint8 f7 = 0;
    quint16 f8 = 0;
    quint16 f9 = 0;

    bool operator==(const PresetPart11&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart12
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    quint16 f4 = 0;
    quint16 f5 = 0;
    quint8 f6 = 0;
    quint16 f7 = 0;
    quint8 f8 = 0;
    quint16 f9 = 0;
    quint16 f10 = 0;

    bool operator==(const PresetPart12&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart100
{
    quint32 f1 = 0;

    bool operator==(const PresetPart100&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart200
{
    quint32 f1 = 0;
    bool f2 = false;
    quint32 f3 = 0;
    qint32 f4 = 0;
    qint32 f5 = 0;
    quint8 f6 = 0;
    quint16 f7 = 0;
    quint8 f8 = 0;
    quint8 f9 = 0;
    quint32 f10 = 0;
    quint32 f11 = 0;
    quint32 f12 = 0;
    quint32 f13 = 0;
    quint16 f14 = 0;

    bool operator==(const PresetPart200&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart201
{
    bool f1 = false;
    quint32 f2 = 0;
    ContourParameters contour;
    quint8 f4 = 0;

    bool operator==(const PresetPart201&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart202
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    ContourParameters contour;

    bool operator==(const PresetPart202&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart203
{
    quint16 f1 = 0;
    quint16 f2 = 0;
    quint16 f3 = 0;
    quint8 f4 = 0;
    float f5 = 0.0f;

    bool operator==(const PresetPart203&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart204
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    ContourParameters contour;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint8 f7 = 0;
    quint8 f8 = 0;

    bool operator==(const PresetPart204&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart205
{
    quint16 f1 = 0;
    quint16 f2 = 0;
    quint32 f3 = 0;
    quint32 f4 = 0;
    quint32 f5 = 0;
    quint32 f6 = 0;
    quint16 f7 = 0;

    bool operator==(const PresetPart205&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart206
{
    quint32 f1 = 0;
    bool f2 = false;
    quint32 f3 = 0;
    CustomPresetPropertyMap properties;

    bool operator==(const PresetPart206&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart207
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    bool f2 = false;
    quint32 f3 = 0;
    quint16 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    quint16 f7 = 0;
    quint16 f8 = 0;
    quint16 f9 = 0;

    bool operator==(const PresetPart207&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart208
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 dynamicTextId = 0;
    DynamicText text;
    TextProperties textProperties;
    // Stored behind the id only by data older than 103; PresetData turns it
    // into colours and clears it.
    quint8 olderFlag = 0;

    bool operator==(const PresetPart208&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart209
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    qint32 f4 = 0;
    quint8 f5 = 0;
    ContourParameters contour;
    quint8 f7 = 0;

    bool operator==(const PresetPart209&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart210
{
    ParticleSystem particles;

    bool operator==(const PresetPart210&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart211
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    float f4 = 0.0f;
    float f5 = 0.0f;
    quint32 f6 = 0;
    quint8 f7 = 0;
    quint16 f8 = 0;

    bool operator==(const PresetPart211&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart214
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    bool f2 = false;
    quint32 f3 = 0;
    qint32 f4 = 0;
    quint8 f5 = 0;
    quint8 f6 = 0;
    quint8 f7 = 0;
    quint8 f8 = 0;
    quint8 f9 = 0;
    quint16 f10 = 0;

    bool operator==(const PresetPart214&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart215
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    bool f2 = false;
    quint32 f3 = 0;
    quint16 f4 = 0;
    quint8 f5 = 0;
    quint16 f6 = 0;
    quint16 f7 = 0;

    bool operator==(const PresetPart215&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart216
{
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    RGBData colour = RGBData(0, 0, 0, 255);
    bool f3 = false;
    quint32 f4 = 1;
    quint16 f5 = 20;
    quint16 f6 = 20;
    quint16 f7 = 20;
    quint16 f8 = 40;
    quint16 f9 = 0;

    bool operator==(const PresetPart216&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart217
{
    bool f1 = false;
    quint32 f2 = 0;
    Archive::ValuePtr<ColourGradient> gradient = Archive::ValuePtr<ColourGradient>::make();
    quint16 f4 = 0;
    quint16 f5 = 0;
    quint16 f6 = 0;
    float f7 = 0.0f;
    quint16 f8 = 0;
    quint16 f9 = 0;
    qint32 f10 = 0;
    quint16 f11 = 0;
    quint16 f12 = 0;

    bool operator==(const PresetPart217&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart218
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    ContourParameters contour;
    quint8 f5 = 0;
    quint16 f6 = 0;
    quint8 f7 = 0;
    quint16 f8 = 0;
    quint16 f9 = 0;

    bool operator==(const PresetPart218&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart219
{
    bool f1 = false;
    quint32 f2 = 0;
    quint16 f3 = 0;
    quint16 f4 = 0;
    quint8 f5 = 0;
    quint16 f6 = 0;
    quint32 f7 = 0;
    quint32 f8 = 0;
    quint8 f9 = 0;
    quint16 f10 = 0;
    quint16 f11 = 0;

    bool operator==(const PresetPart219&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart300
{
    quint8 f1 = 0;
    quint8 f2 = 0;

    bool operator==(const PresetPart300&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart302
{
    RGBData colour = RGBData(0, 0, 0, 255);
    quint8 f2 = 0;

    bool operator==(const PresetPart302&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct PresetPart303
{
    quint8 f1 = 0;
    quint8 f2 = 0;
    quint8 f3 = 0;

    bool operator==(const PresetPart303&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

using PresetPart =
    std::variant<std::monostate, PresetPart1, PresetPart2, PresetPart3, PresetPart4, PresetPart5, PresetPart6,
                 PresetPart7, PresetPart9, PresetPart10, PresetPart11, PresetPart12, PresetPart100, PresetPart200,
                 PresetPart201, PresetPart202, PresetPart203, PresetPart204, PresetPart205, PresetPart206,
                 PresetPart207, PresetPart208, PresetPart209, PresetPart210, PresetPart211, PresetPart214,
                 PresetPart215, PresetPart216, PresetPart217, PresetPart218, PresetPart219, PresetPart300,
                 PresetPart302, PresetPart303>;

// The part a new preset of the type starts with.
PresetPart makePresetPart(int presetType);

// The part's fields, read (over a new record of the part's own layout) or
// written; nothing for std::monostate.
void readPresetPart(InStream& in, PresetPart& part);
void writePresetPart(OutStream& out, const PresetPart& part);

#endif  // LX_OBJECTS_PROGRAMMING_PRESET_PARTS_H
