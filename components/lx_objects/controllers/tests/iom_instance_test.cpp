#include "components/lx_objects/controllers/iom_instance.h"
#include "components/lx_objects/tests/stream_bytes.h"

#include <gtest/gtest.h>

TEST(IoMInstance, StreamFormAndGate)
{
    // Data older than 142 names no controller: it reads as -4.
    const auto layout = StreamCheck::chunks(R"(
        -:     00000007
        142-:  00000003 | fffffffc
        -:     0008 00000001 'v' 00000400 00 0000000c 496f4d5661726961626c6500 01 0002  'n' 0005
    )");
    IoMInstance instance;
    instance.moduleId = 7, instance.controller = 3, instance.name = QStringLiteral("n"), instance.number = 5;
    instance.properties[QStringLiteral("v")] = QVariant::fromValue(IoMVariable {1, 2});
    expectForms<IoMInstance>(
        {{IoMInstance(), "0119 ffffffff fffffffc 0008 00000000 ffffffff 0000"},
         {instance, "0119" + StreamCheck::hexOf(StreamCheck::bytesAt(kProjectStreamVersion, layout))}},
        {{1, 2, "7fffffff", StreamCheck::kCountTooLarge, "0008"}});
    StreamCheck::expectGateReadsAsNewest<IoMInstance>(layout, kProjectStreamVersion);
}
