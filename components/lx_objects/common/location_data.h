// Where and when a project runs: GeoCoord is one coordinate (direction 0 or
// 1, degrees, minutes, seconds; direction 255 while unset), DaylightSavingRule
// one end of the daylight-saving period, and LocationData a place with its
// time-zone offset and daylight-saving rules as the project properties hold
// them: groupA and groupB the latitude and longitude, offset the time-zone
// offset in minutes, ruleA and ruleB the start and end of daylight saving,
// enabled whether it applies.
//
// Each is a block of its own code where it stands alone; LocationData holds
// its coordinates and rules inline, and an owner holding a LocationData may
// stream it inline as well (Archive::inlineFields).
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_COMMON_LOCATION_DATA_H
#define LX_OBJECTS_COMMON_LOCATION_DATA_H

#include "components/archive/stream_fwd.h"

#include <QString>

struct GeoCoord
{
    static constexpr quint32 kTypeCode = 118;
    static constexpr quint8 kUnset = 255;

    quint8 direction = kUnset;
    quint8 degrees = 0;
    quint8 minutes = 0;
    quint8 seconds = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const GeoCoord&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// What the five fields of a rule mean is not known; they are carried as
// read.
struct DaylightSavingRule
{
    static constexpr quint32 kTypeCode = 119;

    quint8 byteA = 0;
    quint8 byteB = 0;
    quint8 byteC = 0;
    quint8 byteD = 0;
    quint16 word = 0;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DaylightSavingRule&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct LocationData
{
    static constexpr quint32 kTypeCode = 378;

    GeoCoord groupA;
    GeoCoord groupB;
    qint16 offset = 0;
    QString name;
    DaylightSavingRule ruleA;
    DaylightSavingRule ruleB;
    bool enabled = false;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const LocationData&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_COMMON_LOCATION_DATA_H
