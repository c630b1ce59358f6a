// Damaged project file headers: the reader answers one of its documented
// results (the length read, -2 for data ending inside the header, -1 with a
// message) and never throws; the sanitizer builds watch for the rest.
#include "components/archive/tests/corruption.h"
#include "components/project/tarvel_base_project.h"

#include <gtest/gtest.h>

#include <QBuffer>

TEST(ProjectHeaderCorruption, DamagedHeadersGiveADocumentedResult)
{
    TarvelBaseProject writer(false, 6);
    ProjectFileHeader header;
    header.projectId = QUuid(QStringLiteral("{00112233-4455-6677-8899-aabbccddeeff}"));
    header.flag = 5;
    header.value = 258;
    writer.setHeader(header);
    QByteArray original;
    {
        QBuffer buffer(&original);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(writer.writeHeader(&buffer));
    }
    // What follows the header in a project file.
    original += QByteArray("\x1f\x8b\x08\x00", 4);

    int whole = 0;
    Corruption::forEachDamage(original, 50, 2000, 1, [&](const Corruption::Damaged& d) {
        QByteArray bytes = d.bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TarvelBaseProject reader(false, 6);
        QString error;
        int result = 0;
        EXPECT_NO_THROW(result = reader.readHeader(&buffer, &error)) << d.what;
        if (result == 22 || result == 23 || result == 27) {
            ++whole;
            EXPECT_TRUE(error.isEmpty()) << d.what;
            EXPECT_EQ(buffer.pos(), result) << d.what;
        } else if (result == -1) {
            EXPECT_FALSE(error.isEmpty()) << d.what;
        } else {
            EXPECT_EQ(result, -2) << d.what;
        }
    });
    EXPECT_GT(whole, 0);
}
