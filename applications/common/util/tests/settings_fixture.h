#ifndef APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H
#define APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H

// Base fixture for tests that write settings: each test runs under an
// application name of its own (suite + test name), so tests of one process
// never see each other's settings, starts from an empty settings file and
// removes that file at the end. Main thread only.

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

class OwnSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        QCoreApplication::setApplicationName(QLatin1String(info->test_suite_name()) + QLatin1Char('_') +
                                             QLatin1String(info->name()));
        QSettings settings;
        settings.clear();
        settings.sync();
    }

    void TearDown() override
    {
        QString fileName;
        {
            QSettings settings;
            fileName = settings.fileName();
        }
        QFile::remove(fileName);
    }
};

#endif // APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H
