#ifndef APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H
#define APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H

// Shared test support. OwnSettingsTest runs each test under an application name
// of its own, so no test sees another's settings, from an empty settings file it
// removes at the end. Main thread only.

#include <QCoreApplication>
#include <QFile>
#include <QRect>
#include <QSettings>
#include <QString>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << r.x() << ',' << r.y() << ' ' << r.width() << 'x' << r.height();
}

class OwnSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        QCoreApplication::setApplicationName(QLatin1String(info->test_suite_name()) + '_' + info->name());
        QSettings().clear();
    }
    void TearDown() override
    {
        const QString fileName = QSettings().fileName();
        QFile::remove(fileName);
    }
};

#endif  // APPLICATIONS_COMMON_UTIL_TESTS_SETTINGS_FIXTURE_H
