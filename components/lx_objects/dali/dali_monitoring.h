// DaliMonitoring is what a controller reports of its DALI line: a status
// record per short address (none until one is reported), the test settings
// in force and a few timestamps and values whose use lies with the
// controller. The value has no stream of its own: the registry creates it,
// and its read() and write() throw "No stream layout is specified for
// DaliMonitoring (code 213)" before touching the stream, so a stream that
// holds one fails with that message instead of being misread.
//
// The ballast records are polymorphic values: a plain ballast
// (BallastData) or an emergency fitting (EmergencyBallastData), each with
// its own stream and a status text for the user. A DaliMonitoring owns its
// records; a copy owns copies of them.
//
// Plain values; one thread uses a value at a time.
#ifndef LX_OBJECTS_DALI_DALI_MONITORING_H
#define LX_OBJECTS_DALI_DALI_MONITORING_H

#include "components/archive/stream_fwd.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/dali/dali_test_schedule.h"
#include "seltrane_components/os/date_time.h"

#include <QString>

#include <array>
#include <list>
#include <set>

class DaliMonitoring
{
public:
    static constexpr quint32 kTypeCode = 213;
    static constexpr int kBallastCount = 64;

    class BallastData;
    class EmergencyBallastData;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    class AbstractBallastData
    {
    public:
        static constexpr quint32 kTypeCode = 214;

        enum Kind : int { PlainKind = 0, EmergencyKind = 1 };

        virtual ~AbstractBallastData() = default;
        virtual void read(InStream& in) = 0;
        virtual void write(OutStream& out) const = 0;
        virtual quint32 typeCode() const = 0;
        virtual Kind kind() const = 0;
        // A new record of the same class and members; the caller owns it.
        virtual AbstractBallastData* copy() const = 0;
        // "Communication Error", or the texts of the status bits joined with
        // ", "; empty when nothing is to be said.
        virtual QString statusText() const;

        bool commsFailed = false;
        qint32 reference = -1;
        quint8 status = 0;  // the ballast's DALI status byte
        DateTime timestamp;
        qint32 reference2 = -1;

    private:
        // Only a record class compares, by its members: two records seen
        // through the base are not comparable.
        friend class BallastData;
        friend class EmergencyBallastData;
        bool operator==(const AbstractBallastData&) const = default;
    };

    class BallastData final : public AbstractBallastData
    {
    public:
        static constexpr quint32 kTypeCode = 215;

        void read(InStream& in) override;
        void write(OutStream& out) const override;
        quint32 typeCode() const override { return kTypeCode; }
        Kind kind() const override { return PlainKind; }
        BallastData* copy() const override { return new BallastData(*this); }
        // The base text, or "OK".
        QString statusText() const override;

        bool operator==(const BallastData&) const = default;

    private:
        friend class Archive::FieldAccess;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    class EmergencyBallastData final : public AbstractBallastData
    {
    public:
        static constexpr quint32 kTypeCode = 216;

        void read(InStream& in) override;
        void write(OutStream& out) const override;
        quint32 typeCode() const override { return kTypeCode; }
        Kind kind() const override { return EmergencyKind; }
        EmergencyBallastData* copy() const override { return new EmergencyBallastData(*this); }
        // The base text, then the running and pending tests; with no test,
        // "Emergency" in emergency mode, else "OK" when nothing else is said.
        QString statusText() const override;

        bool operator==(const EmergencyBallastData&) const = default;

        DateTime time1;
        DateTime time2;
        quint8 emergencyByte1 = 0;
        quint8 testStatus = 0;  // bits: 0 function test running, 1 duration test running, 2 and 3 pending
        bool emergencyFlag = false;
        quint8 emergencyByte2 = 0;
        quint16 emergencyWord1 = 0;
        quint8 emergencyByte3 = 0;
        quint16 emergencyWord2 = 0;
        quint8 emergencyByte4 = 255;
        quint8 emergencyMode = 0;  // bit 2: in emergency mode
        quint16 emergencyWord3 = 0;

    private:
        friend class Archive::FieldAccess;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    struct ThreeValueRecord
    {
        std::array<qint32, 3> values {-1, -1, -1};
        quint8 flags = 0x40;
    };

    struct TwoValueRecord
    {
        std::array<qint32, 2> values {-1, -1};
        quint8 flags = 0x40;
    };

    // One record per short address; null until one is reported.
    std::array<Archive::ValuePtr<AbstractBallastData>, kBallastCount> ballasts;
    std::set<quint8> numbers1;
    std::set<quint8> numbers2;
    DaliTestSettings testSettings;
    std::array<DateTime, 4> times;
    std::array<quint8, 5> bytes {};
    DateTime lastTime;
    std::list<quint64> values;
    ThreeValueRecord record1;
    TwoValueRecord record2;
};

#endif  // LX_OBJECTS_DALI_DALI_MONITORING_H
