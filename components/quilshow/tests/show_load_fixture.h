// Test support: loads show bytes into a new global show, as the converter
// does, and collects what the reader logs. One test thread.
#ifndef QUILSHOW_TESTS_SHOW_LOAD_FIXTURE_H
#define QUILSHOW_TESTS_SHOW_LOAD_FIXTURE_H

#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_file.h"
#include "components/quilshow/show/show_streamer.h"
#include "components/quilshow/tests/show_writer.h"
#include "seltrane_components/os/logger.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class ShowLoadFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Quil::createShow(9);
        addLogHandler(collect, &log);
    }
    void TearDown() override
    {
        removeLogHandler(collect);
        Quil::destroyShow(true);
    }

    QString path() const { return dir.filePath("show.kvq"); }
    std::string folder() const { return dir.path().toStdString(); }
    QuilShow& show() { return *Quil::_gpShow; }
    std::string firstLog() const { return log.empty() ? std::string() : log[0].second; }

    Quil::ShowLoadResult load(const QByteArray& bytes, quint32 magic = 0x8484)
    {
        EXPECT_TRUE(writeFile(path(), bytes));
        Quil::destroyShow(true);
        Quil::createShow(9);
        log.clear();
        return Quil::loadShow(path().toStdString(), magic, nullptr);
    }
    Quil::ShowLoadResult load(const ShowContent& content) { return load(buildShow(content), content.magic); }

    // Opens `body` behind a header of its version, for reading single records
    // with the show in place.
    Quil::ShowStreamer& open(quint16 version, const ShowTable& rows)
    {
        return open(ShowWriter(version).raw(bytesAt(version, rows)));
    }
    Quil::ShowStreamer& open(const ShowWriter& body)
    {
        in.close();
        ShowWriter w(body.version);
        w.header(0x8484).raw(body.data);
        EXPECT_TRUE(writeFile(dir.filePath("records.kvq"), w.data));
        EXPECT_TRUE(in.open(dir.filePath("records.kvq").toStdString(), Quil::ShowStreamer::BINARY_IN));
        in.readVersion();
        return in;
    }

    static void collect(int level, qint64, const char* text, void* userData)
    {
        static_cast<std::vector<std::pair<int, std::string>>*>(userData)->emplace_back(level, text);
    }

    QTemporaryDir dir;
    std::vector<std::pair<int, std::string>> log;
    Quil::ShowStreamer in {0x8484};
};

#endif  // QUILSHOW_TESTS_SHOW_LOAD_FIXTURE_H
