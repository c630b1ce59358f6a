#include "components/lx_objects/dali/dali_interface.h"

#include "components/archive/fields.h"

namespace {

// The 64 members of a group as a bitset section holding eight bytes and no
// count: byte j holds addresses 8j to 8j+7, the lowest in bit 0.
template <class B>
struct GroupMemberBytes
{
    B& bits;
};

template <class B>
GroupMemberBytes<B> groupMemberBytes(B& bits)
{
    return GroupMemberBytes<B> {bits};
}

InStream& operator>>(InStream& in, GroupMemberBytes<std::bitset<64>> field)
{
    in.beginSection(StreamCode::Bitset);
    field.bits.reset();
    for (std::size_t byteIndex = 0; byteIndex < 8; ++byteIndex) {
        quint8 byte = 0;
        in >> byte;
        in.checkStatus();
        field.bits |= std::bitset<64>(byte) << (8 * byteIndex);
    }
    in.endSection(StreamCode::Bitset);
    return in;
}

OutStream& operator<<(OutStream& out, GroupMemberBytes<const std::bitset<64>> field)
{
    out.beginSection(StreamCode::Bitset, true);
    for (std::size_t byteIndex = 0; byteIndex < 8; ++byteIndex)
        out << quint8((field.bits >> (8 * byteIndex)).to_ullong() & 0xFF);
    out.endSection(StreamCode::Bitset);
    return out;
}

}  // namespace

// ---- DaliGroup ----

template <class F, class Self>
void DaliGroup::fields(F& f, Self& s)
{
    f(s.name, groupMemberBytes(s.members));
}

void DaliGroup::read(InStream& in) { Archive::readFields(in, *this); }

void DaliGroup::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- DaliInterface ----

DaliInterface::DaliInterface() : addressValues(kAddressCount, kNone) {}

template <class F, class Self>
void DaliInterface::fields(F& f, Self& s)
{
    f(s.interfaceNumber, s.name, Archive::vector32(s.addressValues), s.groups, s.flag, s.testSettings);
}

quint32 DaliInterface::addGroup(quint32 number)
{
    if (groups.size() >= kMaxGroups)
        return kNone;
    if (number == kNone) {
        // Fewer than 16 groups: a number below 16 is free.
        number = 0;
        for (const auto& entry : groups) {
            if (entry.first != number)
                break;
            ++number;
        }
    } else if (number >= kMaxGroups || groups.count(number) != 0) {
        return kNone;
    }
    groups.emplace(number, DaliGroup());
    return number;
}

void DaliInterface::setAddressValue(quint8 address, quint32 value)
{
    // Short addresses end at 63; a list read longer keeps its tail as read.
    if (address < kAddressCount && address < addressValues.size())
        addressValues[address] = value;
}

void DaliInterface::setTestSchedule(quint32 index, const DaliTestSchedule& schedule)
{
    if (index == 0)
        testSettings.schedule1 = schedule;
    else if (index == 1)
        testSettings.schedule2 = schedule;
}

template class Archive::Object<DaliInterface>;
