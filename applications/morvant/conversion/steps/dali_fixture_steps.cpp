// The version-1 DALI fixture records: each ballast's settings become the
// DALI data of the fixture it drives, on a DALI interface of the number the
// ballast names.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/lx_objects/dali/dali_interface.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/quilshow/show/quil_show.h"

#include <map>
#include <set>

namespace {

// The DALI interface byte of a ballast on no interface.
const quint8 kNoDaliInterface = 255;
const quint16 kNoFixture = 0xFFFF;

// The short address of a ballast that has none.
const quint8 kNoShortAddress = 255;

// The interfaces that arriving ballasts name, made on demand: each with its
// id (kNoObjectId when the project refused it, with the reason), the number
// of fixtures naming it and the DALI fixture on each short address its
// address values list.
struct NamedInterface
{
    Archive::ObjectId id = Archive::kNoObjectId;
    QString failure;
    unsigned fixtures = 0;
    std::map<quint8, quint16> ballasts;
};
using NamedInterfaces = std::map<quint8, NamedInterface>;

// Why a DALI fixture record did not arrive; empty when it may. Its fixture
// is tested first: a ballast is said to be beaten by a lower one only when
// that one arrives.
QString daliFailure(const ConversionContext& context, const Quil::DALIFixture& ballast, const ReportCause** cause)
{
    if (ballast.fixtureId == kNoFixture || !context.show.fixtures().fixtures.find(ballast.fixtureId)) {
        *cause = &Causes::kDrivesNoFixture;
        return ballast.fixtureId == kNoFixture
            ? QStringLiteral("it drives no fixture")
            : QStringLiteral("it drives fixture %1, which the show does not hold").arg(ballast.fixtureId);
    }
    if (!context.ids.contains(IdKind::Fixture, ballast.fixtureId)) {
        *cause = &Causes::kFixtureNotConverted;
        return QStringLiteral("its fixture %1 was not converted").arg(ballast.fixtureId);
    }
    Archive::ObjectPtr holder;
    Archive::getObject(holder, Fixture::kArrayId, context.ids.find(IdKind::Fixture, ballast.fixtureId),
                       context.database);
    const auto* fixture = dynamic_cast<const Fixture*>(holder.get());
    if (!fixture || !fixture->isDali) {
        *cause = &Causes::kNotDaliType;
        return QStringLiteral("the type of its fixture %1 is not a DALI ballast").arg(ballast.fixtureId);
    }
    const qint64 first = context.show.dali().getDaliFixtureId(ballast.fixtureId);
    if (first != qint64(ballast.id())) {
        *cause = &Causes::kFixtureHasLowerBallast;
        return QStringLiteral("fixture %1 is driven by DALI fixture %2 already, and a fixture keeps one")
            .arg(ballast.fixtureId)
            .arg(first);
    }
    return QString();
}

// The interface of the number, made with a new interface's settings when
// first named.
NamedInterface& interfaceFor(ConversionContext& context, NamedInterfaces& named, quint8 number)
{
    const auto [entry, isNew] = named.try_emplace(number);
    if (isNew) {
        try {
            auto added = Archive::makeObject<DaliInterface>();
            added->interfaceNumber = number;
            entry->second.id = context.add(DaliInterface::kArrayId, added);
            context.report.made(ReportKind::DaliInterfaces);
        } catch (const Archive::archive_exception& error) {
            entry->second.failure = context.report.refusalText(error);
        }
    }
    return entry->second;
}

// "DALI fixture 4 (Second) of fixture 3 (Wash)".
QString ballastItem(const ConversionContext& context, const Quil::DALIFixture& ballast)
{
    const QString item = ConversionReport::itemName("DALI fixture", ballast.id(), Quil::toQString(ballast.text));
    const Quil::Fixture* fixture = context.show.fixtures().fixtures.find(ballast.fixtureId);
    return fixture ? item + QStringLiteral(" of ") + fixtureItem(*fixture) : item;
}

// The ballast arrives without a short address, said with why.
void withoutAddress(ConversionContext& context, const Quil::DALIFixture& ballast, DaliFixtureProperties& properties,
                    const QString& why, const ReportCause& cause)
{
    properties.shortAddress = kNoShortAddress;
    context.report.changed(ReportKind::DaliFixtures, ballast.id(),
                           ballastItem(context, ballast) + QStringLiteral(" arrives without a short address: ") + why,
                           cause);
}

// A short address past a DALI interface's 64 becomes none, whether the
// ballast is on an interface or not: a project's fixture holds one of the
// 64 or none. True when the ballast's was such an address.
bool dropAddressPastEnd(ConversionContext& context, const Quil::DALIFixture& ballast, DaliFixtureProperties& properties)
{
    const quint8 address = ballast.shortAddress;
    if (address == kNoShortAddress || address < DaliInterface::kAddressCount)
        return false;
    withoutAddress(context, ballast, properties,
                   QStringLiteral("a DALI interface has the short addresses 0 to 63, and it names %1")
                       .arg(QString::number(address)),
                   Causes::kShortAddressPastEnd);
    return true;
}

// Lists the fixture at the ballast's short address of its interface; a
// ballast whose address another one holds, or which no interface has,
// arrives without one.
void listAtAddress(ConversionContext& context, NamedInterface& on, const Quil::DALIFixture& ballast,
                   Archive::ObjectId fixtureId, DaliFixtureProperties& properties)
{
    const quint8 address = ballast.shortAddress;
    if (address == kNoShortAddress || dropAddressPastEnd(context, ballast, properties))
        return;
    if (const auto taken = on.ballasts.find(address); taken != on.ballasts.end()) {
        withoutAddress(
            context, ballast, properties,
            QStringLiteral("address %1 of DALI interface %2 is DALI fixture %3's")
                .arg(QString::number(address), QString::number(ballast.interfaceId), QString::number(taken->second)),
            Causes::kShortAddressTaken);
        return;
    }
    Archive::ObjectPtr holder;
    if (auto* interface = context.edit<DaliInterface>(DaliInterface::kArrayId, on.id, holder)) {
        interface->setAddressValue(address, fixtureId);
        on.ballasts.emplace(address, ballast.id());
        return;
    }
    withoutAddress(context, ballast, properties,
                   QStringLiteral("DALI interface %1 is not in the project").arg(QString::number(ballast.interfaceId)),
                   Causes::kInterfaceNotMade);
}

// Sets the ballast's data on its converted fixture, which daliFailure found
// to be a ballast.
void carryBallast(ConversionContext& context, NamedInterfaces& named, const Quil::DALIFixture& ballast)
{
    Archive::ObjectPtr holder;
    const Archive::ObjectId fixtureId = context.ids.find(IdKind::Fixture, ballast.fixtureId);
    auto* fixture = context.edit<Fixture>(Fixture::kArrayId, fixtureId, holder);
    if (!fixture)
        return;
    DaliFixtureProperties& properties = fixture->daliProperties;
    properties.interfaceNumber = -1;
    properties.shortAddress = ballast.shortAddress;
    properties.ballastSettings = ballast.ballastSettings;
    properties.ballastFlag = ballast.flag;
    if (ballast.interfaceId != kNoDaliInterface) {
        NamedInterface& on = interfaceFor(context, named, ballast.interfaceId);
        if (on.id != Archive::kNoObjectId) {
            properties.interfaceNumber = ballast.interfaceId;
            ++on.fixtures;
            listAtAddress(context, on, ballast, fixtureId, properties);
            return;
        }
        // The fixture names no interface rather than one the project lacks.
        context.report.changed(
            ReportKind::DaliFixtures, ballast.id(),
            QStringLiteral("%1 arrives on no DALI interface, as its interface %2 could not be made: %3")
                .arg(ballastItem(context, ballast), QString::number(ballast.interfaceId), on.failure),
            Causes::kInterfaceNotMade);
    }
    // On no interface the ballast keeps its address, if an interface has it.
    dropAddressPastEnd(context, ballast, properties);
}

// No DALI interface of a version-1 show is read: each that ballasts name is
// made with a new interface's settings, and said once.
void reportInterfaces(ConversionContext& context, const NamedInterfaces& named)
{
    for (const auto& [number, entry] : named) {
        if (entry.id == Archive::kNoObjectId)
            continue;
        context.report.changed(
            ReportKind::DaliInterfaces, number,
            QStringLiteral("DALI interface %1 arrives as a new interface, without name, groups or test settings, as "
                           "no DALI interface of a version-1 show is read: the DALI data of %2 %3 it; set the "
                           "interface up in the new project")
                .arg(number)
                .arg(ConversionReport::counted(entry.fixtures, "fixture", "fixtures"))
                .arg(ConversionReport::byCount(entry.fixtures, "names", "name")),
            Causes::kInterfaceMadeWithDefaults);
    }
}

}  // namespace

void ConversionSteps::convertDaliFixtures(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::DaliFixtures);
    NamedInterfaces named;
    for (const Quil::DALIFixture& ballast : context.show.dali().fixtures) {
        const QString item = ConversionReport::itemName("DALI fixture", ballast.id(), Quil::toQString(ballast.text));
        const ReportCause* cause = nullptr;
        const QString reason = daliFailure(context, ballast, &cause);
        if (!reason.isEmpty()) {
            report.ignore(ReportKind::DaliFixtures, item, reason, *cause);
            continue;
        }
        // Counted before a change of its interface is said.
        report.made(ReportKind::DaliFixtures);
        carryBallast(context, named, ballast);
    }
    reportInterfaces(context, named);
}
