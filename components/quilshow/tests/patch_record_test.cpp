#include "components/quilshow/show/patch_record.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <memory>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture PatchRecordTest;

TEST_F(PatchRecordTest, GoldenRecordsOfEachForm)
{
    // The DMX and KiNET forms are read by every gate sweep; KiNET closes with its opening marker.
    EXPECT_EQ("Magic number doesn't match 310",
              errorOf([&] { readPatchRecord(open(hexBody(150, "1000 3601 0601 02 0200 0701 0400 0100 0700 3701"))); }));

    std::unique_ptr<PatchRecord> record = readPatchRecord(open(hexBody(454, "0002 4e01 0601 00 0900 0701 3412 4e01")));
    ASSERT_EQ(0x200u, record->kind());
    EXPECT_EQ(std::make_pair(0x1234, 9),
              std::make_pair(int(static_cast<const LumalivePatchRecord&>(*record).address), int(record->outputNodeId)));

    EXPECT_EQ("Error loading patch", errorOf([&] { readPatchRecord(open(hexBody(150, "0300 3401"))); }));

    // The old form below 150 counts channels from 1; a stored 0 wraps.
    for (const auto& c :
         {std::make_pair(16, "0505 01 0500 0300 0000 0606"), std::make_pair(149, "0601 01 0500 0300 0b00 0701")}) {
        record = readPatchRecord(open(hexBody(c.first, c.second)));
        ASSERT_EQ(0x001u, record->kind()) << c.first;
        const auto& old = static_cast<const DmxPatchRecord&>(*record);
        EXPECT_EQ(std::make_pair(c.first == 16 ? 65535 : 10, 3), std::make_pair(int(old.channel), int(old.universe)));
    }
    EXPECT_EQ("Magic number doesn't match 1285",
              errorOf([&] { readPatchRecord(open(hexBody(16, "0601 01 0500 0300 0000 0701"))); }));
}

TEST_F(PatchRecordTest, EveryKindReadsAndClonesItsFields)
{
    // Node 8, type 1, then universe 6 and channel 9; KiNET supply 6, port 2, channel 9; Lumalive address 9.
    const std::vector<int> universeFields {8, 1, 6, 9};
    const char* universeBody = "3401 0601 01 0800 0701 0600 0900 3501";
    const std::tuple<quint16, const char*, std::vector<int>> kinds[] = {
        {0x001, universeBody, universeFields},
        {0x002, universeBody, universeFields},
        {0x004, universeBody, universeFields},
        {0x008, universeBody, universeFields},
        {0x020, universeBody, universeFields},
        {0x100, universeBody, universeFields},
        {0x400, universeBody, universeFields},
        {0x010, "3601 0601 01 0800 0701 0600 0200 0900 3601", {8, 1, 6, 2, 9}},
        {0x200, "4e01 0601 01 0800 0701 0900 4e01", {8, 1, 9}}};
    for (const auto& [kind, body, expected] : kinds) {
        poly_list<PatchRecord> list;
        list.push_back(readPatchRecord(open(ShowWriter(454).u16(kind).raw(QByteArray::fromHex(body)))).release());
        std::unique_ptr<PatchRecord> copy(list.front()->clone());
        list.clear();
        EXPECT_FALSE(copy->isLinked());
        ASSERT_EQ(kind, copy->kind());
        std::vector<int> fields {copy->outputNodeId, copy->patchPointType};
        if (auto* universe = dynamic_cast<UniverseBasedPatchRecord*>(copy.get()))
            fields.insert(fields.end(), {universe->universe, universe->channel});
        else if (auto* kinet = dynamic_cast<KiNETPatchRecord*>(copy.get()))
            fields.insert(fields.end(), {kinet->powerSupplyId, kinet->port, kinet->channel});
        else
            fields.push_back(static_cast<LumalivePatchRecord&>(*copy).address);
        EXPECT_EQ(expected, fields) << kind;
    }
}

}  // namespace
