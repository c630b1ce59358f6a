// Values whose Qt reader does work out of proportion to their bytes are
// refused by both object streams before that work starts.
#include "stream_test_types.h"

#include <QDataStream>
#include <QElapsedTimer>

using StreamTest::errorOf;

TEST(VariantCodec, BothStreamsRefuseRegularExpressionsAtOnce)
{
    QTemporaryDir dir;
    StreamTest::registerTestTypes();
    const QString path = dir.filePath(QStringLiteral("v"));
    // Compiling the pattern takes minutes and gigabytes; a QRegExp value
    // compiles it even when copied, so the values are built as bytes.
    const QString pattern = QStringLiteral("((a{1000}){1000}){1000}");
    QByteArray regExp;
    QDataStream(&regExp, QIODevice::WriteOnly)
        << quint32(QMetaType::QRegExp) << qint8(0) << pattern << quint8(1) << quint8(0) << quint8(0);
    QByteArray regularExpression;
    QDataStream(&regularExpression, QIODevice::WriteOnly)
        << quint32(QMetaType::QRegularExpression) << qint8(0) << pattern << quint32(0);

    for (const QByteArray& form : {regExp, regularExpression}) {
        for (bool text : {false, true}) {
            SCOPED_TRACE(form.toHex().left(8).toStdString() + (text ? " text" : " binary"));
            // An empty stream, with the value where its content goes.
            StreamTest::openWriter(path, text)->close();
            QByteArray file = StreamTest::readFile(path);
            if (text)
                file.insert(file.indexOf("</ArchiveStream>"),
                            "<QVariant>" + form.toPercentEncoding() + "</QVariant>\n");
            else
                file += form;
            StreamTest::writeFile(path, file);

            auto in = StreamTest::openReader(path, text);
            QVariant read(7);
            QElapsedTimer timer;
            timer.start();
            EXPECT_EQ(errorOf([&] {
                          *in >> read;
                          in->checkStatus();
                      }),
                      "Error reading from file");
            EXPECT_LT(timer.elapsed(), 1000);
            EXPECT_FALSE(read.isValid());
        }
    }
}
