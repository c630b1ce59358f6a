#include "components/lx_objects/controllers/universe.h"

#include "components/archive/fields.h"

#include <tuple>

// ---- UniverseKey ----

template <class F, class Self>
void UniverseKey::fields(F& f, Self& s)
{
    using Archive::storedAs;
    f(s.kind);
    switch (s.kind) {
    case Kinet:
        f(s.a, storedAs<quint16>(s.b));
        break;
    case DsxDmx:
        f(s.a);
        break;
    default:
        f(storedAs<quint16>(s.a));
        break;
    }
}

void UniverseKey::read(InStream& in) { Archive::readFields(in, *this); }

void UniverseKey::write(OutStream& out) const { Archive::writeFields(out, *this); }

bool UniverseKeyLess::operator()(const std::pair<quint32, UniverseKey>& x,
                                 const std::pair<quint32, UniverseKey>& y) const
{
    // What the kind stores of a key, and nothing more.
    const auto stored = [](const std::pair<quint32, UniverseKey>& p) {
        const UniverseKey& k = p.second;
        switch (k.kind) {
        case UniverseKey::Kinet:
            return std::make_tuple(p.first, k.kind, k.a, k.b & 0xFFFFu);
        case UniverseKey::DsxDmx:
            return std::make_tuple(p.first, k.kind, k.a, 0u);
        default:
            return std::make_tuple(p.first, k.kind, k.a & 0xFFFFu, 0u);
        }
    };
    return stored(x) < stored(y);
}

// ---- GzePatchRecord ----

template <class F, class Self>
void GzePatchRecord::fields(F& f, Self& s)
{
    f(s.targetId, s.pointType, s.address, s.count);
}

void GzePatchRecord::read(InStream& in) { Archive::readFields(in, *this); }

void GzePatchRecord::write(OutStream& out) const { Archive::writeFields(out, *this); }

bool GzePatchRecordOrder::operator()(const GzePatchRecord& x, const GzePatchRecord& y) const
{
    return std::tie(x.targetId, x.address, x.pointType) < std::tie(y.targetId, y.address, y.pointType);
}

// ---- Universe ----

Universe::Universe(quint32 controllerId, const UniverseKey& key) : controllerId(controllerId), m_key(key) {}

std::array<quint8, Universe::kChannelCount> Universe::filledChannels()
{
    std::array<quint8, kChannelCount> channels;
    channels.fill(255);
    return channels;
}

template <class F, class Self>
void Universe::fields(F& f, Self& s)
{
    f(s.controllerId, s.m_key);
    switch (s.m_key.kind) {
    case UniverseKey::ArtNet:
        f(s.artNetFlag);
        break;
    case UniverseKey::Sacn:
        f(s.m_priority);
        // Whatever count is stored: the first 512 are kept, missing ones are 255.
        f.since(25, Archive::anyCountArray(s.channelBytes, quint8(255)));
        break;
    default:
        break;
    }
    f.since(62, s.patchRecords);
}

void Universe::afterRead(InStream& in)
{
    if (m_key.kind == UniverseKey::Sacn && in.version() < 28)
        channelBytes = filledChannels();
    if (in.version() < 72) {
        // Targets were counted from 1.
        std::set<GzePatchRecord, GzePatchRecordOrder> renumbered;
        for (GzePatchRecord record : patchRecords) {
            --record.targetId;
            renumbered.insert(record);
        }
        patchRecords = std::move(renumbered);
    }
}

void Universe::setSacnPriority(quint8 priority)
{
    if (m_key.kind == UniverseKey::Sacn)
        m_priority = priority;
}

template class Archive::Object<Universe>;
