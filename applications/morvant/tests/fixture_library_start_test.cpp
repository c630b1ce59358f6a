#include "applications/morvant/tests/app_test_support.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/load_fixture_libraries.h"
#include "tests/support/log_capture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardPaths>

#include <utility>
#include <vector>

namespace {}  // namespace

TEST_F(AppFixture, StartLogsOneWarningPerBrokenLineOfTheUserLibrary)
{
    const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/fixtures";
    ASSERT_TRUE(QDir().mkpath(userFolder));
    const QString broken = userFolder + "/broken.fixture";
    const QString block = "manuid = 1\nclass = spot\ndimensions = 4, 4\ngeometry = 0, 0\nelement = Head\n"
                          "patchgroup = fixture, 1\nparameter = Intensity, 0\nrange = 0, 255\n";
    ASSERT_TRUE(writeFile(broken,
                          ("version = 1\ncount = 3\n"
                           "fixture = A\nmodelid = 1\nshape = oval\n"
                           + block + "fixture = B\nmodelid = 2\n" + block + "fixture = C\nmodelid = 3000\n" + block)
                              .toUtf8()));
    std::vector<LogCapture::Line> logged;
    {
        const LogCapture log;
        loadFixtureLibraries();
        logged = log.lines();
    }
    QDir(userFolder).removeRecursively();

    const QString line5 = broken + ": Line 5: Invalid element shape";
    const QString line25 = broken + ": Line 25: Model id is greater than allowed maximum (1023)";
    ASSERT_EQ(logged.size(), 3u);
    EXPECT_EQ(logged[0], std::make_pair(kLogWarning, (line5 + "\n").toStdString()));
    EXPECT_EQ(logged[1], std::make_pair(kLogWarning, (line25 + "\n").toStdString()));
    EXPECT_EQ(logged[2].first, kLogInfo);
    EXPECT_EQ(text("errorPane"), line5 + "\n" + line25);
    EXPECT_TRUE(text("reportPane").startsWith("The fixture library left out what the messages in the error pane name"));
    // Its advice is read whole in a window of the usual size, not scrolled to.
    window.resize(760, 560);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(window.findChild<QPlainTextEdit*>("reportPane")->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(FixtureLibrary::instance().find(1, 2)->modelSpec.name, "B");
    EXPECT_FALSE(FixtureLibrary::instance().find(1, 1));
}
