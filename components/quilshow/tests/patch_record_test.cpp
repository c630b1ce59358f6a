#include "components/quilshow/show/fixture_element.h"
#include "components/quilshow/show/patch_record.h"
#include "components/quilshow/tests/show_load_fixture.h"

#include <memory>
#include <stdexcept>
#include <tuple>

using namespace Quil;

namespace {

typedef ShowLoadFixture PatchRecordTest;

TEST_F(PatchRecordTest, GoldenRecordsOfEachForm)
{
    // The DMX and KiNET forms are read by every gate sweep; KiNET closes with its opening marker.
    EXPECT_EQ("Magic number doesn't match 310",
              errorOf([&] { readPatchRecord(open(hexBody(150, "1000 3601 0601 02 0200 0701 0400 0100 0700 3701"))); }));

    PatchRecord record = readPatchRecord(open(hexBody(454, "0002 4e01 0601 00 0900 0701 3412 4e01")));
    ASSERT_EQ(0x200u, record.kind());
    ASSERT_NE(nullptr, record.lumalive());
    EXPECT_EQ(std::make_pair(0x1234, 9), std::make_pair(int(record.lumalive()->address), int(record.outputNodeId)));

    EXPECT_EQ("Error loading patch", errorOf([&] { readPatchRecord(open(hexBody(150, "0300 3401"))); }));

    // The old form below 150 counts channels from 1; a stored 0 wraps.
    for (const auto& c :
         {std::make_pair(16, "0505 01 0500 0300 0000 0606"), std::make_pair(149, "0601 01 0500 0300 0b00 0701")}) {
        record = readPatchRecord(open(hexBody(c.first, c.second)));
        ASSERT_EQ(0x001u, record.kind()) << c.first;
        const PatchRecord::UniverseFields* old = record.universeBased();
        ASSERT_NE(nullptr, old) << c.first;
        EXPECT_EQ(std::make_pair(c.first == 16 ? 65535 : 10, 3), std::make_pair(int(old->channel), int(old->universe)));
    }
    EXPECT_EQ("Magic number doesn't match 1285",
              errorOf([&] { readPatchRecord(open(hexBody(16, "0601 01 0500 0300 0000 0701"))); }));
}

TEST_F(PatchRecordTest, EveryKindReadsAndCopiesItsFields)
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
        // Held as an element holds them; the copy outlives the original.
        SmallVector<PatchRecord, 2> held;
        held.push_back(readPatchRecord(open(ShowWriter(454).u16(kind).raw(QByteArray::fromHex(body)))));
        const PatchRecord copy = held.front();
        held.clear();
        ASSERT_EQ(kind, copy.kind());
        // Exactly one form's fields, the one of its kind.
        EXPECT_EQ(1,
                  int(copy.universeBased() != nullptr) + int(copy.kinet() != nullptr) + int(copy.lumalive() != nullptr))
            << kind;
        std::vector<int> fields {copy.outputNodeId, copy.patchPointType};
        if (const auto* universe = copy.universeBased())
            fields.insert(fields.end(), {universe->universe, universe->channel});
        else if (const auto* kinet = copy.kinet())
            fields.insert(fields.end(), {kinet->powerSupplyId, kinet->port, kinet->channel});
        else
            fields.push_back(copy.lumalive()->address);
        EXPECT_EQ(expected, fields) << kind;
    }
}

TEST_F(PatchRecordTest, RecordsCompareByKindAndFieldsAndElementsCopyThem)
{
    // The kind is the tag of the fields: equal fields of another kind are another record.
    PatchRecord dmx(PatchRecord::kDmx);
    dmx.universeBased()->universe = 3, dmx.universeBased()->channel = 7;
    PatchRecord pathport(PatchRecord::kPathport);
    *pathport.universeBased() = *dmx.universeBased();
    EXPECT_FALSE(dmx == pathport);
    PatchRecord other = dmx;
    EXPECT_TRUE(other == dmx);
    other.patchPointType = 1;
    EXPECT_FALSE(other == dmx);
    PatchRecord kinet(PatchRecord::kKiNET), lumalive(PatchRecord::kLumalive);
    EXPECT_EQ(PatchRecord::KiNETFields(), *kinet.kinet());
    EXPECT_EQ(0, lumalive.lumalive()->address);
    EXPECT_EQ(
        std::make_pair(0xFFFF, 0xFFFF),
        std::make_pair(int(PatchRecord().universeBased()->universe), int(PatchRecord().universeBased()->channel)));
    other = kinet;
    other.kinet()->port = 1;
    EXPECT_FALSE(other == kinet);
    EXPECT_THROW(PatchRecord(0x040), std::invalid_argument);
    EXPECT_THROW(PatchRecord(0), std::invalid_argument);

    // Two records, the usual count, sit in the element itself, which stays within a 256-byte heap block.
    EXPECT_LE(sizeof(FixtureElement), 248u);
    FixtureElement usual;
    usual.stream(open(454, elementRows(1, {3, 0}, 2)));
    EXPECT_EQ(std::make_pair(2u, 2u),
              std::make_pair(unsigned(usual.patchRecords.size()), unsigned(usual.patchRecords.capacity())));
    // Three go to the heap; copies of the element are equal and independent of it.
    FixtureElement element;
    element.stream(open(454, elementRows(1, {3, 0}, 3)));
    ASSERT_EQ(3u, element.patchRecords.size());
    std::vector<quint32> kinds;
    for (const PatchRecord& record : element.patchRecords)
        kinds.push_back(record.kind());
    EXPECT_EQ(std::vector<quint32>({PatchRecord::kDmx, PatchRecord::kKiNET, PatchRecord::kDmx}), kinds);
    EXPECT_EQ(2, element.patchRecords[2].universeBased()->channel);
    std::unique_ptr<FixtureElement> copy(static_cast<FixtureElement*>(element.clone()));
    EXPECT_TRUE(*copy == element);
    element.patchRecords[1].kinet()->channel = 9;
    element.patchRecords.push_back(dmx);
    EXPECT_EQ(1, copy->patchRecords[1].kinet()->channel);
    EXPECT_EQ(3u, copy->patchRecords.size());
}

}  // namespace
