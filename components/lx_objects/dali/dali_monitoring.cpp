#include "components/lx_objects/dali/dali_monitoring.h"

#include "components/archive/fields.h"
#include "components/lx_objects/interface/interface_objects.h"

#include <QStringList>

void DaliMonitoring::read(InStream&) { throwNoStreamLayout(kTypeCode); }

void DaliMonitoring::write(OutStream&) const { throwNoStreamLayout(kTypeCode); }

// ---- AbstractBallastData ----

QString DaliMonitoring::AbstractBallastData::statusText() const
{
    if (commsFailed)
        return QStringLiteral("Communication Error");
    // Bit 5 has no text of its own.
    static const char* const kBitTexts[8] = {
        "Control Gear Fault", "Lamp Failure", "Arc Power On",          "Arc Power Outside Limits",
        "Fade Running",       nullptr,        "Missing Short Address", "Awaiting Arc Power Command"};
    QStringList texts;
    for (int bit = 0; bit < 8; ++bit) {
        if ((status >> bit & 1) != 0 && kBitTexts[bit])
            texts << QLatin1String(kBitTexts[bit]);
    }
    return texts.join(QStringLiteral(", "));
}

// ---- BallastData ----

template <class F, class Self>
void DaliMonitoring::BallastData::fields(F& f, Self& s)
{
    f(s.commsFailed);
}

void DaliMonitoring::BallastData::read(InStream& in) { Archive::readFields(in, *this); }

void DaliMonitoring::BallastData::write(OutStream& out) const { Archive::writeFields(out, *this); }

QString DaliMonitoring::BallastData::statusText() const
{
    const QString base = AbstractBallastData::statusText();
    return base.isEmpty() ? QStringLiteral("OK") : base;
}

// ---- EmergencyBallastData ----

template <class F, class Self>
void DaliMonitoring::EmergencyBallastData::fields(F& f, Self& s)
{
    f(s.commsFailed, s.time1, s.time2, s.emergencyByte1, s.testStatus, s.emergencyFlag, s.emergencyByte2,
      s.emergencyWord1, s.emergencyByte3, s.emergencyWord2, s.emergencyByte4);
}

void DaliMonitoring::EmergencyBallastData::read(InStream& in) { Archive::readFields(in, *this); }

void DaliMonitoring::EmergencyBallastData::write(OutStream& out) const { Archive::writeFields(out, *this); }

QString DaliMonitoring::EmergencyBallastData::statusText() const
{
    const QString base = AbstractBallastData::statusText();
    QStringList texts;
    if (!base.isEmpty())
        texts << base;
    if (testStatus != 0) {
        if ((testStatus & 0x01) != 0)
            texts << QStringLiteral("Function Test Running");
        else if ((testStatus & 0x02) != 0)
            texts << QStringLiteral("Duration Test Running");
        if ((testStatus & 0x04) != 0)
            texts << QStringLiteral("Function Test Pending");
        if ((testStatus & 0x08) != 0)
            texts << QStringLiteral("Duration Test Pending");
    } else if ((emergencyMode & 0x04) != 0) {
        texts << QStringLiteral("Emergency");
    } else if (base.isEmpty()) {
        texts << QStringLiteral("OK");
    }
    return texts.join(QStringLiteral(", "));
}
