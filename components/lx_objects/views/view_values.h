// Small values the persisted view states embed: the transform of a plan
// view, the state of a timeline view and of a source-code editor, and the
// path of an item in the browser.
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_VIEWS_VIEW_VALUES_H
#define LX_OBJECTS_VIEWS_VIEW_VALUES_H

#include "components/archive/stream_fwd.h"

#include <QByteArray>
#include <QPointF>

// A plan view's zoom (percent) and scroll offset.
struct PlanTransformData
{
    static constexpr quint32 kTypeCode = 165;

    quint32 scale = 100;
    QPointF offset;
    bool flag = false;  // data older than 32 lacks it and means true

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const PlanTransformData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct TimelineTransformData
{
    static constexpr quint32 kTypeCode = 192;

    qint32 valueA = 0;
    qint32 valueB = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TimelineTransformData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct SourceCodeEditorData
{
    static constexpr quint32 kTypeCode = 285;

    qint32 valueA = 0;
    qint32 valueB = 0;
    qint32 valueC = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const SourceCodeEditorData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// A path of 64-bit elements, each stored as eight little-endian bytes.
// Paths order element by element (unsigned), a path before every longer
// path it begins; bytes after the last whole element take no part, so two
// paths that differ only there are one entry of an ordered set. Equality
// compares every byte.
struct BrowserModelPath
{
    static constexpr quint32 kTypeCode = 269;

    QByteArray path;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator<(const BrowserModelPath& other) const;
    bool operator==(const BrowserModelPath&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_VIEWS_VIEW_VALUES_H
