#include "components/lx_objects/views/tests/stream_form.h"
#include "components/lx_objects/views/user_interface_state.h"
#include "components/lx_objects/views/view_states.h"
#include "components/lx_objects/views/web_interface_properties.h"

#include <gtest/gtest.h>

namespace {

using StreamCheck::Chunk;
using StreamCheck::kNewest;
using StreamForm::expectStreamForm;

const char kEmptyTabs[] = "0006 #00000000 ffffffff";

}  // namespace

TEST(ViewStates, FixedFormsWriteTheirGoldenBytes)
{
    EXPECT_EQ(writtenBytes(PatchViewState()).toHex(),
              hex("0008 00000004 0001 00000096 0003 00000096 0004 00000096 0006 000000AF").toHex());
    PatchViewState patch;
    EXPECT_EQ(readBytes(patch, hex("0008 00000000")), 0);
    EXPECT_TRUE(patch.valuesByKey.empty());
    patch.valuesByKey = {{2, -1}, {0xFFFF, 175}};
    expectStreamForm("0008 #00000002 0002 ffffffff ffff 000000AF", patch);
    EXPECT_EQ(writtenBytes(LayoutManagerState()).toHex(), hex("0006 00000000 FFFFFFFF 0008 00000000").toHex());

    // What a new project starts with: the three primaries, the show's colours, its layout's tab.
    ColourDataState colours;
    colours.firstColours = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, colours.secondColours = {0xFF123456};
    expectStreamForm("0006 #00000003 FFFF0000 FF00FF00 FF0000FF 0006 #00000001 FF123456", colours);
    LayoutManagerState layout;
    layout.tabIds = {0x2A}, layout.currentTabId = 0x2A;
    expectStreamForm("0006 #00000001 0000002A 0000002A 0008 #00000000", layout);

    BrowserState browser;
    browser.paths = {BrowserModelPath {hex("0200000000000000")}, BrowserModelPath {hex("0100000000000000")}};
    expectStreamForm("0009 #00000002 010d 00000008 0100000000000000 010d 00000008 0200000000000000", browser);
    ReportWidgetState report;
    report.pairMaps = {{{1, {2, 3}}}};
    expectStreamForm("0006 #00000001 0008 #00000001 00000001 0010 00000002 00000002 00000003", report);
    ExportWizardState exports;
    exports.stringSets = {{4, {QStringLiteral("b"), QStringLiteral("a")}}};
    expectStreamForm("0008 #00000001 00000004 0009 #00000002 00000002 0061 00000002 0062", exports);
    DaliViewState dali;
    dali.tabIds = {1, 2}, dali.currentTabId = 2;
    expectStreamForm("0006 #00000002 00000001 00000002 00000002", dali);
    expectStreamForm(kEmptyTabs, IoMManagerState());
    PixelMatrixViewState matrix;
    matrix.planTransforms[7] = PlanTransformData();
    expectStreamForm("0006 #00000000 ffffffff 0008 #00000001 00000007 00a5 00000064 "
                     "0000000000000000 0000000000000000 00",
                     matrix);
}

TEST(ViewStates, EditorStatesReadTheirGates)
{
    expectStreamForm<TimelineViewState>(
        {{0, kNewest, "0006 #00000001 00000003 00000003 0008 #00000001 00000002 00c0 00000001 fffffffe"},
         {106, kNewest, "0006 #00000001 0007"}},
        [](quint16 v) {
            TimelineViewState s;
            s.tabIds = {3}, s.currentTabId = 3, s.timelineTransforms[2] = {1, -2};
            s.shortValues = v >= 106 ? std::vector<quint16> {7} : std::vector<quint16> {};
            return s;
        });
    const auto trigger = [](quint16 v) {
        TriggerViewState s;
        s.intValues = {-2};
        if (v >= 101)
            s.editorStates[4] = {1, 2, 3};
        return s;
    };
    expectStreamForm<TriggerViewState>({{0, kNewest, kEmptyTabs},
                                        {0, kNewest, "0006 #00000001 fffffffe"},
                                        {101, kNewest, "0008 #00000001 00000004 011d 00000001 00000002 00000003"}},
                                       trigger);

    // The draft's default page has a gradient, which cannot be streamed:
    // only data without the draft (or with a draft without pages) reads.
    const std::vector<Chunk> manager = {
        {0, kNewest, kEmptyTabs},
        {107, kNewest, "0128 ffffffff 01 ffffffff ffffffff ffffffff 0006 00000000 0009 00000000"},
        {75, kNewest, "0008 #00000000"},
    };
    StreamCheck::expectGateReads<InterfaceManagerState>(manager, kProjectStreamVersion, [](quint16 v) {
        InterfaceManagerState s;
        if (v >= 107)
            s.newInterface.pages.clear();
        return s;
    });
    StreamForm::expectDamagedCountsFail<InterfaceManagerState>(manager);
    EXPECT_EQ(StreamForm::writeFailure(InterfaceManagerState()), "No stream layout is specified for Gradient");
}

TEST(ViewStates, ThirtyTwoBitListsRefuseACountAboveTheirLimit)
{
    const auto fails = [](const auto& value, int offset) {
        using T = std::decay_t<decltype(value)>;
        return StreamCheck::damagedReadFails(writtenBytes(value), offset, "40000000", kProjectStreamVersion,
                                             StreamCheck::kVector32CountAboveLimit, [](InStream& in) { T().read(in); });
    };
    ColourDataState colours;
    colours.firstColours = {1}, colours.secondColours = {2};
    EXPECT_TRUE(fails(colours, 2));
    EXPECT_TRUE(fails(colours, 12));
    EXPECT_TRUE(fails(LayoutManagerState(), 2));
    TriggerViewState trigger;
    trigger.intValues = {-2};
    EXPECT_TRUE(fails(trigger, 12));
    EXPECT_TRUE(fails(UserInterfaceState(), 2));
}

TEST(ViewStates, UserInterfaceStateKeepsItsOrderAndGates)
{
    // Field 14 (the report's maps) is stored after field 15 (group 7).
    expectStreamForm<UserInterfaceState>(
        {{0, kNewest, "0006 #00000001 00000001 0006 #00000000 0007 #00000001 0010 00000002 007f 0000003412000007 01"},
         {0, 37, ""},
         {0, kNewest, "0006 #00000000 ffffffff 0008 #00000000 0006 #00000000 ffffffff"},
         {0, kNewest, "0006 #00000000 ffffffff 0008 #00000000"},
         {62, kNewest, "0006 #00000001 00000004 00000004"},
         {0, kNewest, "0006 #00000000 ffffffff 0008 #00000000 0006 #00000000 ffffffff 0006 #00000000"},
         {0, kNewest, "0006 #00000001 00000009 00000009"},
         {2, kNewest, "0006 #00000001 0008 #00000001 00000001 0010 00000002 00000002 00000003"},
         {18, kNewest, "0008 #00000001 00000005 0009 #00000001 00000002 0061"}},
        [](quint16 v) {
            UserInterfaceState s;
            const FixOrGroupKey key = v < 37 ? FixOrGroupKey(7, 0x1234) : FixOrGroupKey::fromPacked(0x3412000007);
            s.listA = {1}, s.markedKeys = {{key, true}};
            if (v >= 62)
                s.group4TabIds = {4}, s.group4CurrentTabId = 4;
            s.group7TabIds = {9}, s.group7CurrentTabId = 9;
            if (v >= 2)
                s.reportPairMaps = {{{1, {2, 3}}}};
            if (v >= 18)
                s.exportStringSets = {{5, {QStringLiteral("a")}}};
            return s;
        });
}

TEST(WebInterfaceProperties, ReadsEveryLayoutAndRefusesMoreEntriesThanItsCount)
{
    expectStreamForm<WebInterfaceProperties>(
        {{8, kNewest, "%01 00000002 006b"},
         {8, 17, "00000002 0078"},
         {17, kNewest, "00000001 aa"},
         {8, kNewest, "05"},
         {21, kNewest, "01"},
         {0, kNewest, "00000002 0074"},
         {0, 70, "00000001 bb"}},
        [](quint16 v) {
            WebInterfaceProperties s;
            if (v >= 8)
                s.entries[QStringLiteral("k")] = {v >= 17 ? hex("aa") : QByteArray(), 5};
            s.enabled = v >= 21, s.text = QStringLiteral("t");
            return s;
        });

    WebInterfaceProperties web;
    EXPECT_EQ(readBytes(web, hex("02 00000002 006b 00000001 aa 05 00000002 006b 00000000 06 00 ffffffff")), 0);
    EXPECT_EQ(web.entries.size(), 1u);  // a repeated key keeps what was read last
    EXPECT_EQ(web.entries.at(QStringLiteral("k")), (WebInterfaceEntry {QByteArray(""), 6}));
    for (int i = 0; i < 255; ++i)
        web.entries[QString::number(i)];
    EXPECT_EQ(StreamForm::writeFailure(web), "Too many entries for their stored count: 256, at most 255");
    web.entries.erase(QStringLiteral("k"));
    EXPECT_TRUE(StreamCheck::stableRoundTrip(web, kProjectStreamVersion));
}
