// The project's output tables, each a name with a fixed number of entries:
// FxTable (array 33) and CrossfadePath (array 32) with 128 signed entries,
// DimmerCurve (array 31) with 256 bytes. New tables hold zeros;
// FxTable::defaultEntries() is the table that old data falls back to.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_FX_TABLE_H
#define LX_OBJECTS_PROJECT_FX_TABLE_H

#include "components/archive/object.h"

#include <QString>

#include <array>

class FxTable : public Archive::Object<FxTable>
{
public:
    static constexpr quint32 kTypeCode = 209;
    static constexpr Archive::ArrayId kArrayId = 33;
    using Entries = std::array<qint32, 128>;

    static const Entries& defaultEntries();

    bool operator==(const FxTable&) const = default;

    QString name;
    Entries entries {};

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
};
extern template class Archive::Object<FxTable>;

class CrossfadePath : public Archive::Object<CrossfadePath>
{
public:
    static constexpr quint32 kTypeCode = 208;
    static constexpr Archive::ArrayId kArrayId = 32;

    bool operator==(const CrossfadePath&) const = default;

    QString name;
    std::array<qint32, 128> entries {};

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<CrossfadePath>;

class DimmerCurve : public Archive::Object<DimmerCurve>
{
public:
    static constexpr quint32 kTypeCode = 210;
    static constexpr Archive::ArrayId kArrayId = 31;

    bool operator==(const DimmerCurve&) const = default;

    QString name;
    std::array<quint8, 256> entries {};

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<DimmerCurve>;

#endif  // LX_OBJECTS_PROJECT_FX_TABLE_H
