// The sibling product's playlists (namespace Vux): a playlist owns a list of
// play actions, each a record of the PlayAction family (jump, media, delay,
// trigger, timeline, intensity) and possibly null. Read, copied and written
// back unchanged; the numbered fields carry no meaning here.
//
// A playlist owns its actions: a copy (and so a clone) holds copies of them,
// never the same ones. Owned by the database like every archive object; one
// thread edits a copy.
#ifndef LX_OBJECTS_VUX_PLAYLIST_H
#define LX_OBJECTS_VUX_PLAYLIST_H

#include "components/archive/object.h"
#include "components/archive/value_ptr.h"

#include <QString>

#include <memory>
#include <vector>

namespace Vux {

class JumpPlayAction;
class MediaPlayAction;
class DelayPlayAction;
class TriggerPlayAction;
class TimelinePlayAction;
class IntensityPlayAction;

// Receives an action as its own class. Nothing in this program implements
// it; the destructor holds the slot before the first action's.
class PlayActionVisitor
{
public:
    virtual ~PlayActionVisitor();
    virtual void visit(JumpPlayAction& action) = 0;
    virtual void visit(MediaPlayAction& action) = 0;
    virtual void visit(DelayPlayAction& action) = 0;
    virtual void visit(TriggerPlayAction& action) = 0;
    virtual void visit(TimelinePlayAction& action) = 0;
    virtual void visit(IntensityPlayAction& action) = 0;
};

// The abstract root of the play actions (code 356, never made). An action is
// a record of the registry, not an archive object: it has no object id.
class PlayAction
{
public:
    static constexpr quint32 kTypeCode = 356;

    virtual void read(InStream& in) = 0;
    virtual void write(OutStream& out) const = 0;
    virtual quint32 typeCode() const = 0;
    virtual ~PlayAction();
    // An owning copy, made by clone().
    virtual std::unique_ptr<PlayAction> cloneOwned() const;
    virtual bool flag() const = 0;
    virtual quint8 kind() const = 0;
    virtual PlayAction* clone() const = 0;
    virtual void accept(PlayActionVisitor& visitor) = 0;

    // Equal when of one class with equal fields.
    friend bool operator==(const PlayAction& a, const PlayAction& b);

protected:
    PlayAction() = default;
    PlayAction(const PlayAction&) = default;
    PlayAction& operator=(const PlayAction&) = default;
};

// What every action class shares: its code, its flag and kind, its copy and
// its visitor slot. Derived is the action class; its fields() lists its
// stored fields, the same list serving read and write.
template <class Derived, quint32 Code, bool Flag, quint8 Kind>
class PlayActionOf : public PlayAction
{
public:
    static constexpr quint32 kTypeCode = Code;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return Code; }
    bool flag() const override { return Flag; }
    quint8 kind() const override { return Kind; }
    PlayAction* clone() const override { return new Derived(static_cast<const Derived&>(*this)); }
    void accept(PlayActionVisitor& visitor) override { visitor.visit(static_cast<Derived&>(*this)); }

    // The shared part holds no field. An action class's defaulted
    // comparison compares this part through it, never through the
    // polymorphic comparison above, which would come back to the class.
    bool operator==(const PlayActionOf&) const { return true; }
};

class MediaPlayAction final : public PlayActionOf<MediaPlayAction, 358, false, 0>
{
public:
    quint32 mediaId = 0xFFFFFFFF;

    bool operator==(const MediaPlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class DelayPlayAction final : public PlayActionOf<DelayPlayAction, 359, false, 1>
{
public:
    qint32 delay = 0;

    bool operator==(const DelayPlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class JumpPlayAction final : public PlayActionOf<JumpPlayAction, 357, true, 2>
{
public:
    qint32 target = 0x7FFFFFFF;

    bool operator==(const JumpPlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class TriggerPlayAction final : public PlayActionOf<TriggerPlayAction, 360, true, 3>
{
public:
    QString name;
    quint32 triggerId = 0xFFFFFFFF;

    bool operator==(const TriggerPlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class TimelinePlayAction final : public PlayActionOf<TimelinePlayAction, 361, true, 4>
{
public:
    QString name;
    quint32 timelineId = 0xFFFFFFFF;
    qint32 value = 0;

    bool operator==(const TimelinePlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class IntensityPlayAction final : public PlayActionOf<IntensityPlayAction, 362, true, 5>
{
public:
    quint32 level = 100;

    bool operator==(const IntensityPlayAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Playlist final : public Archive::Object<Playlist>
{
public:
    static constexpr quint32 kTypeCode = 355;

    quint32 valueA = 0;
    QString name;
    qint8 valueB = 0;
    quint32 valueC = 0xFFFFFFFF;
    quint8 valueD = 0;
    quint32 valueE = 0;
    qint32 valueF = 2000;
    // Entries may be null. Read, an entry can only be one of the six action
    // classes: any other registered code is refused before anything is made.
    std::vector<Archive::ValuePtr<PlayAction>> actions;
    std::vector<quint32> ids;
    quint32 valueG = 0;
    quint32 valueH = 0;

    bool operator==(const Playlist&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

}  // namespace Vux

extern template class Archive::Object<Vux::Playlist>;

#endif  // LX_OBJECTS_VUX_PLAYLIST_H
