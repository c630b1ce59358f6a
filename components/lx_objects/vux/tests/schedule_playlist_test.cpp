#include "components/archive/type_registry.h"
#include "components/lx_objects/views/tests/stream_form.h"
#include "components/lx_objects/vux/playlist.h"
#include "components/lx_objects/vux/schedule.h"

#include <gtest/gtest.h>

namespace {

using StreamForm::expectStreamForm;

// Julian days as the binary stream stores a QDate.
const char kScheduleDec07[] = "0000000000258ec6";
const char kScheduleDec08[] = "0000000000258ec7";
const char kScheduleDec24[] = "0000000000258ed7";
const char kScheduleJan01[] = "0000000000258edf";
const char kScheduleNullDate[] = "8000000000000000";

std::string joinedHex(std::initializer_list<const char*> parts)
{
    std::string text;
    for (const char* part : parts)
        text += std::string(part) + " ";
    return text;
}

Vux::Schedule fixedTimeVuxSchedule()
{
    Vux::Schedule s;
    s.date = QDate(2026, 12, 7), s.time = QTime(10, 30);
    s.spanKind = 0, s.spanValue = 0x10;
    s.rule.kind = 0, s.rule.amount = 0x0102;
    s.untilDate = QDate(2027, 1, 1), s.dates = {QDate(2026, 12, 24), QDate(2026, 12, 8)};
    s.valueZ = 7;
    return s;
}

// Answers which visitor slot an action called: 1 to 6, after the destructor's.
class PlayActionSlotVisitor final : public Vux::PlayActionVisitor
{
public:
    int slot = 0;
    void visit(Vux::JumpPlayAction&) override { slot = 1; }
    void visit(Vux::MediaPlayAction&) override { slot = 2; }
    void visit(Vux::DelayPlayAction&) override { slot = 3; }
    void visit(Vux::TriggerPlayAction&) override { slot = 4; }
    void visit(Vux::TimelinePlayAction&) override { slot = 5; }
    void visit(Vux::IntensityPlayAction&) override { slot = 6; }
};

template <class T>
Archive::ValuePtr<Vux::PlayAction> newPlayAction(const std::function<void(T&)>& fill = {})
{
    auto* a = new T;
    if (fill)
        fill(*a);
    return Archive::ValuePtr<Vux::PlayAction>(a);
}

Vux::Playlist sampleVuxPlaylist()
{
    Vux::Playlist p;
    p.valueA = 1, p.name = QStringLiteral("p"), p.valueB = -2, p.valueC = 3, p.valueD = 4, p.valueE = 5;
    p.valueF = -6;
    p.actions.push_back(newPlayAction<Vux::JumpPlayAction>([](auto& a) { a.target = -1; }));
    p.actions.emplace_back();
    p.actions.push_back(newPlayAction<Vux::MediaPlayAction>([](auto& a) { a.mediaId = 7; }));
    p.actions.push_back(newPlayAction<Vux::DelayPlayAction>([](auto& a) { a.delay = 8; }));
    p.actions.push_back(
        newPlayAction<Vux::TriggerPlayAction>([](auto& a) { a.name = QStringLiteral("t"), a.triggerId = 9; }));
    p.actions.push_back(newPlayAction<Vux::TimelinePlayAction>(
        [](auto& a) { a.name = QStringLiteral("l"), a.timelineId = 10, a.value = -11; }));
    p.actions.push_back(newPlayAction<Vux::IntensityPlayAction>([](auto& a) { a.level = 50; }));
    p.ids = {1, 0xFFFFFFFF};
    p.valueG = 12, p.valueH = 13;
    return p;
}

const char kPlaylistHead[] = "00000001 00000002 0070 fe 00000003 04 00000005 fffffffa";
const char kSampleActions[] =
    "0006 #00000007 0165 ffffffff 0012 0166 00000007 0167 00000008 0168 00000002 0074 00000009 "
    "0169 00000002 006c 0000000a fffffff5 016a 00000032";
const char kPlaylistTail[] = "0006 #00000002 00000001 ffffffff 0000000c 0000000d";

}  // namespace

TEST(VuxSchedule, StoresWhatItsKindsSelect)
{
    // A fixed time: false, then the time; the rule's end date and dates in
    // date order.
    const std::string fixed = joinedHex({kScheduleDec07, "00 0240c840 00 00000010 016c 00 0102", kScheduleJan01,
                                         "0009 #00000002", kScheduleDec08, kScheduleDec24, "00000007"});
    expectStreamForm(fixed.c_str(), fixedTimeVuxSchedule());

    // A relative time: true, the kind and the offset; a span up to a moment.
    Vux::Schedule relative;
    relative.timeKind = 0, relative.timeOffset = -5;
    relative.spanKind = 1, relative.spanDateTime = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);
    relative.rule.kind = 2, relative.rule.byteA = 3, relative.rule.byteB = 4;
    const std::string relativeBytes =
        joinedHex({kScheduleNullDate, "01 00 fffffffb 01", kScheduleDec07, "02932e00 01 016c 02 03 04",
                   kScheduleNullDate, "0009 #00000000 ffffffff"});
    expectStreamForm(relativeBytes.c_str(), relative);

    // A span from an event; a rule of kind 5 stores no end date and no dates.
    Vux::Schedule event;
    event.spanKind = 2, event.spanEventKind = 9, event.spanOffset = -1;
    const std::string eventBytes = joinedHex({kScheduleNullDate, "00 ffffffff 02 09 ffffffff 016c 05 ffffffff"});
    expectStreamForm(eventBytes.c_str(), event);
    Vux::Schedule none = event;
    none.spanKind = 3;
    none.untilDate = QDate(2027, 1, 1), none.dates = {QDate(2026, 12, 8)};  // not stored
    EXPECT_EQ(writtenBytes(none).toHex(),
              hex(joinedHex({kScheduleNullDate, "00 ffffffff 03 016c 05 ffffffff"})).toHex());

    // Data whose rule stores no dates leaves the ones held; every other field
    // is read afresh.
    Vux::Schedule read = fixedTimeVuxSchedule();
    EXPECT_EQ(readBytes(read, writtenBytes(none)), 0);
    EXPECT_EQ(read.untilDate, QDate(2027, 1, 1));
    EXPECT_EQ(read.dates, fixedTimeVuxSchedule().dates);
    EXPECT_EQ(read.date, QDate());
    EXPECT_EQ(read.spanKind, 3);
    EXPECT_EQ(read.rule, event.rule);

    // A fixed time read over a relative one, or into a new schedule, has the
    // fixed kind and writes the time it read.
    for (Vux::Schedule start : {relative, Vux::Schedule()}) {
        EXPECT_EQ(readBytes(start, hex(fixed)), 0);
        EXPECT_EQ(start.timeKind, Vux::Schedule::kFixedTime);
        EXPECT_EQ(writtenBytes(start), hex(fixed));
    }

    // Dates stored out of order come back in date order.
    const std::string unordered = joinedHex({kScheduleDec07, "00 0240c840 00 00000010 016c 00 0102", kScheduleJan01,
                                             "0009 00000002", kScheduleDec24, kScheduleDec08, "00000007"});
    Vux::Schedule sorted;
    EXPECT_EQ(readBytes(sorted, hex(unordered)), 0);
    EXPECT_EQ(writtenBytes(sorted), hex(fixed));

    EXPECT_TRUE(everyStrictPrefixFails(fixedTimeVuxSchedule()));
    EXPECT_TRUE(everyStrictPrefixFails(relative));
}

TEST(VuxSchedule, RuleStoresTheFieldsOfItsKind)
{
    const auto rule = [](quint8 kind, quint16 amount, quint8 a, quint8 b) {
        Vux::ScheduleRule r;
        r.kind = kind, r.amount = amount, r.byteA = a, r.byteB = b;
        return r;
    };
    expectForms<Vux::ScheduleRule>({{Vux::ScheduleRule(), "016c 05"},
                                    {rule(0, 0xabcd, 0, 0), "016c 00 abcd"},
                                    {rule(1, 0, 7, 0), "016c 01 07"},
                                    {rule(2, 0, 7, 8), "016c 02 07 08"},
                                    {rule(3, 0, 9, 0), "016c 03 09"},
                                    {rule(4, 0, 0, 0), "016c 04"}});
    EXPECT_EQ(*ObjectRegistry::createValue<Vux::ScheduleRule>(364), Vux::ScheduleRule());
}

TEST(VuxPlaylist, StreamsItsActionsNullsIncluded)
{
    const std::string sample = joinedHex({kPlaylistHead, kSampleActions, kPlaylistTail});
    expectStreamForm(sample.c_str(), sampleVuxPlaylist());
    expectStreamForm("00000000 ffffffff 00 ffffffff 00 00000000 000007d0 0006 #00000000 0006 #00000000 "
                     "00000000 00000000",
                     Vux::Playlist());
    EXPECT_TRUE(everyStrictPrefixFails(sampleVuxPlaylist()));

    // An newPlayAction's place takes the play actions only: another registered
    // class is refused by the look-up itself, before anything is made.
    const QByteArray bytes = hex(sample);
    const auto read = [](InStream& in) { Vux::Playlist().read(in); };
    const int first = int(bytes.indexOf(hex("0165")));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, first, "006f", kProjectStreamVersion,
                                              "Bad registry lookup, id 111", read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, first, "0164", kProjectStreamVersion,
                                              "Trying to make an abstract object, id 356", read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, first, "03e7", kProjectStreamVersion,
                                              "Bad registry lookup, id 999", read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, first, "016c", kProjectStreamVersion,
                                              "Bad registry lookup, id 364", read));
    // A count the data cannot hold fails before any entry is read.
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, first - 4, "ffffffff", kProjectStreamVersion,
                                              StreamCheck::countExceeds(0xFFFFFFFF), read));
    EXPECT_TRUE(StreamCheck::damagedReadFails(hex(joinedHex({kPlaylistHead, "0006 ffffffff"})), 0, "",
                                              kProjectStreamVersion, StreamCheck::countExceeds(0xFFFFFFFF), read));
    // The id list after the actions has the 32-bit vector form's limit.
    const int ids = int(bytes.lastIndexOf(hex("0006"))) + 2;
    EXPECT_TRUE(StreamCheck::damagedReadFails(bytes, ids, "40000000", kProjectStreamVersion,
                                              StreamCheck::kVector32CountAboveLimit, read));
}

TEST(VuxPlaylist, CopiesOwnTheirActions)
{
    Vux::Playlist source = sampleVuxPlaylist();
    std::unique_ptr<Vux::Playlist> copy(static_cast<Vux::Playlist*>(source.clone()));
    ASSERT_EQ(copy->actions.size(), source.actions.size());
    EXPECT_FALSE(copy->actions[1]);
    for (std::size_t i = 0; i < source.actions.size(); ++i) {
        if (source.actions[i]) {
            EXPECT_NE(copy->actions[i].get(), source.actions[i].get()) << i;
        }
    }
    EXPECT_EQ(*copy, source);
    static_cast<Vux::JumpPlayAction&>(*copy->actions[0]).target = 5;
    EXPECT_EQ(static_cast<Vux::JumpPlayAction&>(*source.actions[0]).target, -1);
    EXPECT_FALSE(*copy == source);
    const std::unique_ptr<Vux::PlayAction> owned = source.actions[2]->cloneOwned();
    EXPECT_TRUE(*owned == *source.actions[2]);
    EXPECT_FALSE(*owned == *source.actions[3]);  // another class
}

TEST(VuxPlaylist, ActionsAnswerTheirFlagKindAndSlot)
{
    struct Row
    {
        quint32 code;
        bool flag;
        quint8 kind;
        int slot;
    };
    const Row rows[] = {{357, true, 2, 1}, {358, false, 0, 2}, {359, false, 1, 3},
                        {360, true, 3, 4}, {361, true, 4, 5},  {362, true, 5, 6}};
    for (const Row& row : rows) {
        const std::unique_ptr<Vux::PlayAction> a = ObjectRegistry::createValue<Vux::PlayAction>(row.code);
        ASSERT_TRUE(a) << row.code;
        EXPECT_EQ(a->typeCode(), row.code);
        EXPECT_EQ(a->flag(), row.flag) << row.code;
        EXPECT_EQ(a->kind(), row.kind) << row.code;
        PlayActionSlotVisitor visitor;
        a->accept(visitor);
        EXPECT_EQ(visitor.slot, row.slot) << row.code;
        EXPECT_EQ(ObjectRegistry::nameForCode(row.code), QStringLiteral("Vux"));
    }
    // The defaults a new newPlayAction reads from.
    const Vux::Playlist defaults = [] {
        Vux::Playlist p;
        for (const quint32 code : {357, 358, 359, 360, 361, 362})
            p.actions.emplace_back(ObjectRegistry::createValue<Vux::PlayAction>(code));
        return p;
    }();
    EXPECT_EQ(writtenBytes(defaults).toHex(),
              hex("00000000 ffffffff 00 ffffffff 00 00000000 000007d0 0006 00000006 0165 7fffffff 0166 ffffffff "
                  "0167 00000000 0168 ffffffff ffffffff 0169 ffffffff ffffffff 00000000 016a 00000064 "
                  "0006 00000000 00000000 00000000")
                  .toHex());
}
