// The version-1 DALI fixture records: each ballast's settings become the
// DALI data of the fixture it drives.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/quilshow/show/quil_show.h"

#include <map>

namespace {

// The DALI interface byte of a ballast on no interface.
const quint8 kNoDaliInterface = 255;
const quint16 kNoFixture = 0xFFFF;

// Why a DALI fixture record did not arrive; empty when it did.
QString daliFailure(const ConversionContext& context, const Quil::DALIFixture& ballast, const char** cause)
{
    const Quil::DALIShowComponent& dali = context.show.dali();
    if (ballast.fixtureId == kNoFixture || !context.show.fixtures().fixtures.find(ballast.fixtureId)) {
        *cause = "they drive no fixture of the show";
        return ballast.fixtureId == kNoFixture
            ? QStringLiteral("it drives no fixture")
            : QStringLiteral("it drives fixture %1, which the show does not hold").arg(ballast.fixtureId);
    }
    if (dali.getDaliFixtureId(ballast.fixtureId) != qint64(ballast.id())) {
        *cause = "their fixture has another DALI fixture, of a lower id";
        return QStringLiteral("fixture %1 is driven by DALI fixture %2 already, and a fixture keeps one")
            .arg(ballast.fixtureId)
            .arg(dali.getDaliFixtureId(ballast.fixtureId));
    }
    if (!context.ids.contains(IdKind::Fixture, ballast.fixtureId)) {
        *cause = "their fixture was not converted";
        return QStringLiteral("its fixture %1 was not converted").arg(ballast.fixtureId);
    }
    return QString();
}

// Sets the ballast's data on its converted fixture; false (with *reason)
// when that fixture's type is no DALI ballast.
bool carryBallast(ConversionContext& context, const Quil::DALIFixture& ballast, QString* reason)
{
    Archive::ObjectPtr holder;
    auto* fixture =
        context.edit<Fixture>(Fixture::kArrayId, context.ids.find(IdKind::Fixture, ballast.fixtureId), holder);
    if (!fixture || !fixture->isDali) {
        *reason = QStringLiteral("the type of its fixture %1 is not a DALI ballast").arg(ballast.fixtureId);
        return false;
    }
    DaliFixtureProperties& properties = fixture->daliProperties;
    properties.interfaceNumber = ballast.interfaceId == kNoDaliInterface ? -1 : ballast.interfaceId;
    properties.shortAddress = ballast.shortAddress;
    properties.ballastSettings = ballast.ballastSettings;
    properties.ballastFlag = ballast.flag;
    return true;
}

// No DALI interface of a version-1 show is read: the ballasts keep the
// number of theirs, and each interface named is said once.
void reportInterfaces(ConversionContext& context, const std::map<quint8, unsigned>& named)
{
    for (const auto& [interfaceId, fixtures] : named) {
        context.report.ignore(ReportKind::DaliInterfaces, QStringLiteral("DALI interface %1").arg(interfaceId),
                              (fixtures == 1
                                   ? QStringLiteral("the DALI data of 1 fixture names it, but no DALI interface of a "
                                                    "version-1 show is read; the fixture keeps its number")
                                   : QStringLiteral("the DALI data of %1 fixtures names it, but no DALI interface of a "
                                                    "version-1 show is read; the fixtures keep its number")
                                         .arg(fixtures))
                                  + QStringLiteral(", so add the interface to the new project under that number"),
                              "named by DALI fixtures, but not read from the show");
    }
}

}  // namespace

void ConversionSteps::convertDaliFixtures(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::DaliFixtures);
    std::map<quint8, unsigned> namedInterfaces;
    for (const Quil::DALIFixture& ballast : context.show.dali().fixtures) {
        const QString item = ConversionReport::itemName("DALI fixture", ballast.id(), Quil::toQString(ballast.text));
        const char* cause = nullptr;
        QString reason = daliFailure(context, ballast, &cause);
        if (reason.isEmpty() && !carryBallast(context, ballast, &reason))
            cause = "their fixture's type is not a DALI ballast";
        if (!reason.isEmpty()) {
            report.ignore(ReportKind::DaliFixtures, item, reason, cause);
            continue;
        }
        report.made(ReportKind::DaliFixtures);
        if (ballast.interfaceId != kNoDaliInterface)
            ++namedInterfaces[ballast.interfaceId];
    }
    reportInterfaces(context, namedInterfaces);
}
