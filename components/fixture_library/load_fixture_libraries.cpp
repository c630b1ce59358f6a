#include "components/fixture_library/load_fixture_libraries.h"

#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/message_handler.h"
#include "seltrane_components/os/logger.h"

#include <QCoreApplication>
#include <QObject>
#include <QStandardPaths>

void loadFixtureLibraries()
{
    const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    // Without a data location there is no user library, not one at "/fixtures".
    const auto inAppData = [&appData](const char* name) {
        return appData.isEmpty() ? QString() : appData + QLatin1Char('/') + QLatin1String(name);
    };
    ConcatenatingMessageHandler messages;
    FixtureLibrary::instance().load(QCoreApplication::applicationDirPath() + QStringLiteral("/fixtures"),
                                    inAppData("fixtures"), inAppData("downloads"), messages);
    KinetPowerSupplyList::instance().load(messages);
    for (const QString& text : messages.messages())
        logMessage(kLogWarning, "%s", text.toUtf8().constData());
    if (!messages.messages().isEmpty()) {
        const QString advice = QObject::tr(
            "The fixture library left out what the messages in the error pane name, so a show that uses those "
            "fixture types cannot find them. Correct or remove the files named, then start the program again.");
        logMessage(kLogInfo, "%s", advice.toUtf8().constData());
    }
}
