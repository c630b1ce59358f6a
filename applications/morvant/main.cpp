// The converter's entry point: marks the running instance, makes the
// application and runs its event loop.
#include "applications/morvant/app_identity.h"
#include "applications/morvant/end_signals.h"
#include "applications/morvant/show_converter_app.h"
#include "applications/morvant/single_instance.h"

#include <QString>

#include <clocale>
#include <cstring>
#include <langinfo.h>

int main(int argc, char** argv)
{
    // Archive entry names are decoded through the C library's character
    // set; without a UTF-8 one, names outside ASCII would be lost.
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || std::strcmp(codeset, "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");

    // An end request that comes before the application listens for it
    // waits, rather than end the process with the lock taken.
    HeldEndSignals held;
    // Held while the program runs; a second instance is not refused.
    SingleInstanceLock instanceLock(QLatin1String(AppIdentity::kProgramKey)
                                    + QLatin1String(AppIdentity::kInstanceGuid));
    instanceLock.acquire();

    theApp = new ShowConverterApp(argc, argv);
    held.release();
    const int result = theApp->exec();
    // The window and the working folder are gone with the event loop. The
    // lock goes before the application, whose end puts the default signal
    // handlers back: a signal that comes later ends the process at once, and
    // must not find the lock still taken.
    instanceLock.release();
    delete theApp;
    theApp = nullptr;
    return result;
}
