// The fixture definition text parser (parseFixtureFile) on a file's bytes.
// Every model it accepts is written back, and the written file parses to
// models that write the same bytes again.
#include "components/fixture_library/fixture_file.h"
#include "components/fixture_library/message_handler.h"
#include "fuzz/fuzz_support.h"

#include <QBuffer>

namespace {

QByteArray written(const std::vector<FixtureLibraryTypes::FixtureDefinition>& definitions)
{
    QBuffer buffer;
    FUZZ_CHECK(buffer.open(QIODevice::WriteOnly));
    FUZZ_CHECK(writeFixtureFile(buffer, definitions));
    return buffer.data();
}

std::vector<FixtureLibraryTypes::FixtureDefinition> parsed(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    ConcatenatingMessageHandler messages;
    return parseFixtureFile(buffer, QStringLiteral("fuzz.fixture"), messages);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto definitions = parsed(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (definitions.empty())
        return 0;
    const QByteArray once = written(definitions);
    const auto again = parsed(once);
    FUZZ_CHECK(again.size() == definitions.size());
    FUZZ_CHECK(written(again) == once);
    return 0;
}
