// Common main for every test executable: a UTF-8 C library locale (libarchive
// drops non-ASCII entry names in the C locale), Qt's test paths under a
// private home so no test touches the user's settings or data, or another
// test's, and a headless QApplication.
#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <langinfo.h>

// Allocations Qt's platform plugins and system libraries keep for the life of
// the process; anything of ours still leaks loudly.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen\n"
           "leak:QWindowSystemInterface\n"
           "leak:QPlatformScreen\n"
           "leak:QGuiApplicationPrivate::createPlatformIntegration\n"
           "leak:libfontconfig\n"
           "leak:libglib\n"
           "leak:libdbus\n";
}

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    if (!codeset || std::strcmp(codeset, "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    // CTest runs many test processes at once: a private home keeps their
    // settings, working folders and locks apart.
    QTemporaryDir home;
    if (home.isValid())
        qputenv("HOME", QFile::encodeName(home.path()));

    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("MorvantTests"));
    QCoreApplication::setApplicationName(QStringLiteral("MorvantTests"));
    return RUN_ALL_TESTS();
}
