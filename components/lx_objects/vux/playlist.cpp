#include "components/lx_objects/vux/playlist.h"

#include "components/archive/fields.h"
#include "components/archive/type_registry.h"

namespace Vux {

namespace {

// A playlist's actions: a vector section, a u32 count, then per entry an
// empty null section or the action's block. An entry's code is looked up
// among the play actions only, so no other registered class can be made in
// an action's place.
template <class C>
struct PlaylistActions
{
    C& actions;
};

template <class C>
PlaylistActions<C> playlistActions(C& actions)
{
    return PlaylistActions<C> {actions};
}

template <class C>
InStream& operator>>(InStream& in, PlaylistActions<C> field)
{
    StreamDetail::readContainer(in, StreamCode::Vector, field.actions, [&] {
        const quint16 code = in.peekSection();
        if (code == StreamCode::Null) {
            in.beginSection(StreamCode::Null);
            in.endSection(StreamCode::Null);
            field.actions.emplace_back();
            return;
        }
        Archive::ValuePtr<PlayAction> action(ObjectRegistry::createValue<PlayAction>(code));
        in >> *action;
        field.actions.push_back(std::move(action));
    });
    return in;
}

template <class C>
OutStream& operator<<(OutStream& out, PlaylistActions<C> field)
{
    StreamDetail::writeContainer(out, StreamCode::Vector, field.actions, [&](const auto& action) {
        if (action) {
            out << *action;
        } else {
            out.beginSection(StreamCode::Null, false);
            out.endSection(StreamCode::Null);
        }
    });
    return out;
}

template <class T>
bool samePlayAction(const PlayAction& a, const PlayAction& b)
{
    const auto* first = dynamic_cast<const T*>(&a);
    const auto* second = dynamic_cast<const T*>(&b);
    return first && second && *first == *second;
}

}  // namespace

PlayActionVisitor::~PlayActionVisitor() = default;

PlayAction::~PlayAction() = default;

std::unique_ptr<PlayAction> PlayAction::cloneOwned() const { return std::unique_ptr<PlayAction>(clone()); }

bool operator==(const PlayAction& a, const PlayAction& b)
{
    return samePlayAction<JumpPlayAction>(a, b) || samePlayAction<MediaPlayAction>(a, b)
        || samePlayAction<DelayPlayAction>(a, b) || samePlayAction<TriggerPlayAction>(a, b)
        || samePlayAction<TimelinePlayAction>(a, b) || samePlayAction<IntensityPlayAction>(a, b);
}

template <class Derived, quint32 Code, bool Flag, quint8 Kind>
void PlayActionOf<Derived, Code, Flag, Kind>::read(InStream& in)
{
    Archive::readFields(in, static_cast<Derived&>(*this));
}

template <class Derived, quint32 Code, bool Flag, quint8 Kind>
void PlayActionOf<Derived, Code, Flag, Kind>::write(OutStream& out) const
{
    Archive::writeFields(out, static_cast<const Derived&>(*this));
}

template <class F, class Self>
void MediaPlayAction::fields(F& f, Self& s)
{
    f(s.mediaId);
}

template <class F, class Self>
void DelayPlayAction::fields(F& f, Self& s)
{
    f(s.delay);
}

template <class F, class Self>
void JumpPlayAction::fields(F& f, Self& s)
{
    f(s.target);
}

template <class F, class Self>
void TriggerPlayAction::fields(F& f, Self& s)
{
    f(s.name, s.triggerId);
}

template <class F, class Self>
void TimelinePlayAction::fields(F& f, Self& s)
{
    f(s.name, s.timelineId, s.value);
}

template <class F, class Self>
void IntensityPlayAction::fields(F& f, Self& s)
{
    f(s.level);
}

template class PlayActionOf<MediaPlayAction, 358, false, 0>;
template class PlayActionOf<DelayPlayAction, 359, false, 1>;
template class PlayActionOf<JumpPlayAction, 357, true, 2>;
template class PlayActionOf<TriggerPlayAction, 360, true, 3>;
template class PlayActionOf<TimelinePlayAction, 361, true, 4>;
template class PlayActionOf<IntensityPlayAction, 362, true, 5>;

template <class F, class Self>
void Playlist::fields(F& f, Self& s)
{
    f(s.valueA, s.name, s.valueB, s.valueC, s.valueD, s.valueE, s.valueF);
    f(playlistActions(s.actions), Archive::vector32(s.ids), s.valueG, s.valueH);
}

}  // namespace Vux

template class Archive::Object<Vux::Playlist>;
