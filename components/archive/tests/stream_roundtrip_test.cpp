// Every typed operation, container, nested block and object pointer written
// and read back through both encodings.
#include "components/archive/binary_stream.h"
#include "components/archive/text_stream.h"

#include "seltrane_components/os/bit_vector.h"
#include "seltrane_components/os/date_time.h"

#include "stream_test_types.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

namespace {

struct Values
{
    DateTime dateTime;
    BitVector bits{70};
    QStringList strings{QString(), QStringLiteral("α <&> β"), QStringLiteral("line\nbreak")};
    QVariant variant = QVariantMap{{QStringLiteral("k"), QVariantList{1, QStringLiteral("two"), 3.5}}};
    QSizeF sizeF{1.25, -1e-300};
    QSize size{-3, 4};
    QRect rect{-1, 2, 30, 40};
    QTime time{23, 59, 58, 7};
    QDate date{1999, 2, 28};
    QDateTime dateTimes[4] = {QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3), Qt::UTC),
                              QDateTime(QDate(2026, 12, 6), QTime(1, 2, 3, 400), Qt::LocalTime),
                              QDateTime(QDate(2026, 1, 6), QTime(1, 2, 3), Qt::OffsetFromUTC, -5400),
                              QDateTime()};
    QUuid uuid = QUuid(QStringLiteral("{0a112233-4455-6677-8899-aabbccddeeff}"));
    QByteArray bytes = QByteArray("\0\x01<>%\xFF", 6);
    QPointF pointF{0.1, -2.5e10};
    QString text = QStringLiteral("&lt; stays &lt; and \"quotes\" 'too'");
    bool flag = true;
    double reals[5] = {0.1, -0.0, 1e308, std::numeric_limits<double>::denorm_min(),
                       std::numeric_limits<double>::infinity()};
    float floats[4] = {0.1f, 3.4028235e38f, 1e-45f, -7.0f};
    quint8 u8 = 255;
    quint16 u16 = 65535;
    quint32 u32 = 0xFFFFFFFFu;
    quint64 u64 = 0xFFFFFFFFFFFFFFFFull;
    qint8 i8 = -128;
    qint16 i16 = -32768;
    qint32 i32 = std::numeric_limits<qint32>::min();
    qint64 i64 = std::numeric_limits<qint64>::min();
    std::list<std::pair<qint32, QString>> pairs{{1, QStringLiteral("one")}};
    QHash<QString, QVector<quint16>> hash{{QStringLiteral("h"), {1, 2}}};
    QMap<quint32, std::set<qint64>> qmap{{5, {-1, 1}}};
    std::array<ObjectTag, 2> tags{};
    QList<StreamTest::Point> qlist{{1, -1}};
    QSet<quint32> qset{4, 8};
    std::vector<bool> flags{true, false, true};

    Values()
    {
        dateTime.setByte(3, 0x05);
        bits.setBit(0);
        bits.setBit(69);
        tags[1].first = 1;
    }

    void write(OutStream& out) const
    {
        out << dateTime << bits << strings << variant << sizeF << size << rect << time << date;
        for (const QDateTime& value : dateTimes)
            out << value;
        out << uuid << bytes << pointF << text << flag;
        for (double value : reals)
            out << value;
        for (float value : floats)
            out << value;
        out << u8 << u16 << u32 << u64 << i8 << i16 << i32 << i64 << pairs << hash << qmap << tags << qlist
            << qset << flags;
    }

    void read(InStream& in)
    {
        in >> dateTime >> bits >> strings >> variant >> sizeF >> size >> rect >> time >> date;
        for (QDateTime& value : dateTimes)
            in >> value;
        in >> uuid >> bytes >> pointF >> text >> flag;
        for (double& value : reals)
            in >> value;
        for (float& value : floats)
            in >> value;
        in >> u8 >> u16 >> u32 >> u64 >> i8 >> i16 >> i32 >> i64 >> pairs >> hash >> qmap >> tags >> qlist >>
            qset >> flags;
    }

    // Exact comparisons: signed zeros, offsets from UTC; the text form has
    // no null string.
    auto tied() const
    {
        return std::tie(dateTime, bits, variant, sizeF, size, rect, time, date, uuid, bytes, pointF, text, flag, u8,
                        u16, u32, u64, i8, i16, i32, i64, pairs, hash, qmap, tags, qlist, qset, flags);
    }
    void expectEqual(const Values& o) const
    {
        EXPECT_EQ(tied(), o.tied());
        EXPECT_EQ(strings.mid(1), o.strings.mid(1));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(dateTimes[i], o.dateTimes[i]) << i;
            EXPECT_EQ(dateTimes[i].offsetFromUtc(), o.dateTimes[i].offsetFromUtc()) << i;
        }
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(reals[i], o.reals[i]) << i;
            EXPECT_EQ(std::signbit(reals[i]), std::signbit(o.reals[i])) << i;
        }
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(floats[i], o.floats[i]) << i;
    }
};

class RoundTrip : public ::testing::TestWithParam<bool> // true: text
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        StreamTest::registerTestTypes();
    }

    bool text() const { return GetParam(); }
    QString path() const { return dir.filePath(QStringLiteral("round")); }
    std::unique_ptr<OutStream> writer(const QByteArray* extra = nullptr)
    {
        return StreamTest::openWriter(path(), text(), extra);
    }
    std::unique_ptr<InStream> reader(QByteArray* extra = nullptr)
    {
        return StreamTest::openReader(path(), text(), extra);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_P(RoundTrip, EveryTypedOperation)
{
    Values written;
    const QByteArray extra("\x00\xFFZ", 3);
    {
        auto out = writer(&extra);
        written.write(*out);
        out->close();
    }
    Values read;
    read.strings.clear();
    read.variant = QVariant();
    QByteArray readExtra;
    auto in = reader(&readExtra);
    read.read(*in);
    EXPECT_EQ(readExtra, extra);
    written.expectEqual(read);
    EXPECT_FALSE(StreamTest::errorOf([&] { in->peekSection(); }).empty()); // nothing more to read
}

TEST_P(RoundTrip, ObjectsWithNestedBlocksAndVersionGates)
{
    StreamTest::Shape shape;
    shape.name = QStringLiteral("lamp");
    shape.flags = 0x81;
    shape.mode = StreamTest::Mode::Blink; // stored as its low byte, 0xF7
    shape.origin = {-5, 6};
    shape.points = {{1, 2}, {3, 4}};
    shape.labels = {{-1, QStringLiteral("minus")}, {2, QString()}};
    StreamTest::ShapeVariant variant;
    variant.name = QStringLiteral("variant");
    {
        auto out = writer();
        writeObjectPointer(*out, &shape);
        writeObjectPointer(*out, &variant);
        writeObjectPointer(*out, nullptr);
        out->close();
    }
    auto in = reader();
    std::unique_ptr<Archive::ObjectBase> a, b, c(new Archive::ObjectBase);
    readObjectPointer(*in, a);
    readObjectPointer(*in, b);
    readObjectPointer(*in, c);
    auto* readShape = dynamic_cast<StreamTest::Shape*>(a.get());
    ASSERT_NE(readShape, nullptr);
    EXPECT_EQ(readShape->mode, static_cast<StreamTest::Mode>(0xF7));
    readShape->mode = shape.mode;
    EXPECT_TRUE(readShape->sameAs(shape));
    ASSERT_NE(dynamic_cast<StreamTest::ShapeVariant*>(b.get()), nullptr);
    EXPECT_EQ(c, nullptr);

    // An older stream has no flags field.
    in = reader();
    in->setVersion(149);
    std::unique_ptr<StreamTest::Shape> old;
    EXPECT_FALSE(StreamTest::errorOf([&] { *in >> old; }).empty()); // the fields no longer line up
}

TEST_P(RoundTrip, OpenErrorsAndFailedWrites)
{
    using StreamTest::errorOf;
    EXPECT_EQ(errorOf([&] { reader(); }), "Unable to open file, file doesn't exist");
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
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Text" : "Binary";
                         });
