// Every typed operation, container, nested block and object pointer written
// and read back through both encodings.
#include "stream_test_types.h"

using StreamTest::errorOf;

namespace {

class RoundTrip : public ::testing::TestWithParam<bool>  // true: text
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        StreamTest::registerTestTypes();
    }

    bool text() const { return GetParam(); }
    QString path() const { return dir.filePath(QStringLiteral("round")); }

    QTemporaryDir dir;
};

}  // namespace

// What is read back writes the same bytes again: every value exactly, signed
// zeros, offsets from UTC and all (the text form has no null string); an enum
// keeps its low byte only.
TEST_P(RoundTrip, EveryTypedOperation)
{
    const QByteArray extra("\x00\xFFZ", 3);
    const auto write = [&](const StreamTest::Sample& sample) {
        auto out = StreamTest::openWriter(path(), text(), &extra);
        sample.write(*out);
        out->close();
        return StreamTest::readFile(path());
    };
    const QByteArray written = write(StreamTest::Sample());
    StreamTest::Sample read;
    read.strings.clear();
    read.variant = QVariant();
    read.shape.reset();
    read.none.reset(new Archive::ObjectBase);
    QByteArray readExtra;
    {
        auto in = StreamTest::openReader(path(), text(), &readExtra);
        read.read(*in);
        EXPECT_FALSE(errorOf([&] { in->peekSection(); }).empty());  // nothing more to read
    }
    EXPECT_EQ(readExtra, extra);
    EXPECT_EQ(read.shape->mode, static_cast<StreamTest::Mode>(0xF7));  // the low byte of Blink
    EXPECT_EQ(write(read), written);
}

TEST_P(RoundTrip, OpenErrorsAndFailedWrites)
{
    EXPECT_EQ(errorOf([&] { StreamTest::openReader(path(), text()); }), "Unable to open file, file doesn't exist");
    EXPECT_EQ(errorOf([&] { StreamTest::openReader(dir.path(), text()); }), "Unable to open file");
    EXPECT_EQ(errorOf([&] { StreamTest::openWriter(dir.filePath(QStringLiteral("no/dir/x")), text()); }),
              "Unable to open file");

    // A full disk: close() reports it once; a destructor closes quietly.
    if (!QFile::exists(QStringLiteral("/dev/full")))
        return;
    auto out = StreamTest::openWriter(QStringLiteral("/dev/full"), text());
    *out << QByteArray(64 * 1024, 'x');
    EXPECT_EQ(errorOf([&] { out->close(); }), "Error writing to file");
    EXPECT_FALSE(out->isOpen());
    out->close();
    out = StreamTest::openWriter(QStringLiteral("/dev/full"), text());
    *out << QByteArray(64 * 1024, 'x');
    out.reset();
}

INSTANTIATE_TEST_SUITE_P(Streams, RoundTrip, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Text" : "Binary"; });
