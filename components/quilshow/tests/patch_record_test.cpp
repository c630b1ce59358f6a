#include "components/quilshow/show/patch_record.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <functional>
#include <memory>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture PatchRecordTest;

TEST_F(PatchRecordTest, GoldenRecordsOfEachForm)
{
    // Kinded form from 150: DMX node 5, type 1, universe 3, channel 10.
    std::unique_ptr<PatchRecord> record =
        readPatchRecord(open(hexBody(150, "0100 3401 0601 01 0500 0701 0300 0a00 3501")));
    ASSERT_EQ(0x001u, record->kind());
    const auto& dmx = static_cast<const DmxPatchRecord&>(*record);
    EXPECT_EQ(std::make_tuple(5, 1, 3, 10, 0u),
              std::make_tuple(int(dmx.outputNodeId), int(dmx.patchPointType), int(dmx.universe), int(dmx.channel),
                              in.bytesLeft()));

    // KiNET closes with its opening marker.
    record = readPatchRecord(open(hexBody(150, "1000 3601 0601 02 0200 0701 0400 0100 0700 3601")));
    ASSERT_EQ(0x010u, record->kind());
    const auto& kinet = static_cast<const KiNETPatchRecord&>(*record);
    EXPECT_EQ(std::make_tuple(2, 2, 4, 1, 7),
              std::make_tuple(int(kinet.outputNodeId), int(kinet.patchPointType), int(kinet.powerSupplyId),
                              int(kinet.port), int(kinet.channel)));
    EXPECT_EQ("Magic number doesn't match 310",
              errorOf([&] { readPatchRecord(open(hexBody(150, "1000 3601 0601 02 0200 0701 0400 0100 0700 3701"))); }));

    record = readPatchRecord(open(hexBody(454, "0002 4e01 0601 00 0900 0701 3412 4e01")));
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
    const struct
    {
        quint16 kind;
        std::function<PatchRecord*()> make;
    } kinds[] = {{0x001, [] { return new DmxPatchRecord; }},     {0x002, [] { return new PathportPatchRecord; }},
                 {0x004, [] { return new ArtNetPatchRecord; }},  {0x008, [] { return new Net2PatchRecord; }},
                 {0x020, [] { return new SACNPatchRecord; }},    {0x100, [] { return new FlipDotPatchRecord; }},
                 {0x400, [] { return new DsxDmxPatchRecord; }},  {0x010, [] { return new KiNETPatchRecord; }},
                 {0x200, [] { return new LumalivePatchRecord; }}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        EXPECT_EQ(k.kind, std::unique_ptr<PatchRecord>(k.make())->kind());
        ShowWriter w(454);
        w.u16(k.kind);
        if (k.kind == 0x010)
            w.u16(0x0136).u16(0x0106).u8(1).u16(8).u16(0x0107).u16(6).u16(2).u16(9).u16(0x0136);
        else if (k.kind == 0x200)
            w.u16(0x014E).u16(0x0106).u8(1).u16(8).u16(0x0107).u16(9).u16(0x014E);
        else
            w.u16(0x0134).u16(0x0106).u8(1).u16(8).u16(0x0107).u16(6).u16(9).u16(0x0135);
        std::unique_ptr<PatchRecord> read = readPatchRecord(open(w));
        poly_list<PatchRecord> list;
        list.push_back(read.release());
        std::unique_ptr<PatchRecord> copy(list.front()->clone());
        list.clear();
        EXPECT_FALSE(copy->isLinked());
        ASSERT_EQ(k.kind, copy->kind());
        std::vector<int> fields {copy->outputNodeId, copy->patchPointType};
        if (auto* universe = dynamic_cast<UniverseBasedPatchRecord*>(copy.get()))
            fields.insert(fields.end(), {universe->universe, universe->channel});
        else if (auto* kinet = dynamic_cast<KiNETPatchRecord*>(copy.get()))
            fields.insert(fields.end(), {kinet->powerSupplyId, kinet->port, kinet->channel});
        else
            fields.push_back(static_cast<LumalivePatchRecord&>(*copy).address);
        const std::vector<int> expected = k.kind == 0x010 ? std::vector<int> {8, 1, 6, 2, 9}
            : k.kind == 0x200                             ? std::vector<int> {8, 1, 9}
                                                          : std::vector<int> {8, 1, 6, 9};
        EXPECT_EQ(expected, fields);
    }
}

}  // namespace
