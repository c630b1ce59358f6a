// The plan-image check (PlanImageCheck::ofData) on any bytes, with an oracle:
// an image it passes is of one of the four formats packed and decodes with
// Qt's own reader, which finds the format by content, to the size the check
// read from its header, within the bytes the check counted and the bound,
// without a libjpeg warning of missing or damaged data. CTest runs it under a
// malloc limit just above the bound: whatever a header claims, nothing larger
// is made.
#include "applications/morvant/conversion/plan_image_check.h"
#include "fuzz/fuzz_support.h"

#include <QBuffer>
#include <QImageReader>

namespace {

bool g_damage = false;

// Qt's readers warn through qWarning: kept out of the output, and libjpeg's
// warnings of damage noted.
void onMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    if (text.startsWith(QLatin1String("Premature end of JPEG file"))
        || text.startsWith(QLatin1String("Corrupt JPEG data")))
        g_damage = true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(&onMessage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const PlanImageCheck check = PlanImageCheck::ofData(bytes);
    const QByteArray format = check.format();
    const bool packed = format == "jpeg" || format == "png" || format == "gif" || format == "bmp";
    FUZZ_CHECK(check.verdict() != PlanImageCheck::FormatNotPacked || !packed);
    if (check.verdict() != PlanImageCheck::Image)
        return 0;
    FUZZ_CHECK(packed);
    FUZZ_CHECK(check.decodingBytes() <= kPlanImageMaxDecodedBytes);
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    FUZZ_CHECK(reader.format() == format);  // asked before reading: a reader may forget it at the end of its data
    g_damage = false;
    const QImage image = reader.read();
    FUZZ_CHECK(!image.isNull());
    FUZZ_CHECK(image.size() == check.size());
    FUZZ_CHECK(image.sizeInBytes() <= check.decodingBytes());
    FUZZ_CHECK(!g_damage);
    return 0;
}
