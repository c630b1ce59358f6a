#include <gtest/gtest.h>
#include <QCoreApplication>

// The test harness itself: a Qt application object exists for every test.
TEST(Harness, HasApplicationObject)
{
    EXPECT_NE(QCoreApplication::instance(), nullptr);
}
