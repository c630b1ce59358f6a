// Archive::ObjectBase is the base of every object kept in an Archive::Database;
// Archive::Pointer<T> (Archive::ObjectPtr for the base) is the reference-counted
// handle through which objects are held and passed. ObjectTag is the archive's
// small three-word value type.
//
// Ownership: a handle shares its object; the object is deleted through its
// virtual destructor when the last handle goes. A handle may instead hold one of
// two marker values that never address an object: the removal marker (1), which
// a thread's pending view uses for an object removed in its open transaction,
// and the reserved marker (2), which every cast treats as null. get(), -> and *
// never hand out a marker: get() answers null and -> / * throw std::logic_error.
//
// Threads: reference counts are atomic, so handles to one object may be copied
// and dropped on several threads; the object itself is not guarded (committed
// objects are only read; an object being edited belongs to one thread).
#ifndef ARCHIVE_OBJECT_BASE_H
#define ARCHIVE_OBJECT_BASE_H

#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace Archive {

using ObjectId = quint32;
using ArrayId = quint32;
using DatabaseId = quint32;

constexpr ObjectId kNoObjectId = 0xFFFFFFFFu;

class ObjectBase
{
public:
    ObjectBase() = default;
    // A copy is a new object: it has no id until a database gives it one.
    ObjectBase(const ObjectBase&) {}
    ObjectBase& operator=(const ObjectBase&) { return *this; }

    virtual void read(InStream& in);
    virtual void write(OutStream& out) const;
    virtual quint32 typeCode() const;
    virtual ~ObjectBase();
    // A heap copy made by the copy constructor (id -1); the caller owns it.
    // Every concrete class overrides it; the base itself answers null.
    virtual ObjectBase* clone() const;

    ObjectId getId() const { return m_id; }
    void setId(ObjectId id) { m_id = id; }

    // Objects compare by content: the id is where the database keeps an
    // object, not part of it (a clone equals its source). Lets derived
    // classes default their comparison.
    bool operator==(const ObjectBase&) const { return true; }

private:
    ObjectId m_id = kNoObjectId;
};

class PointerBase
{
public:
    // Deleter of the removal marker's control block: there is no object.
    struct CustomDeleter
    {
        void operator()(ObjectBase*) const noexcept {}
    };

    static constexpr quintptr kRemovedMarker = 1;
    static constexpr quintptr kReservedMarker = 2;

    bool isNull() const { return raw() == 0; }
    bool isRemovedMarker() const { return raw() == kRemovedMarker; }
    bool isMarker() const { return raw() == kRemovedMarker || raw() == kReservedMarker; }
    // True only when the handle addresses an object (not null, not a marker).
    bool isObject() const { return raw() > kReservedMarker; }
    explicit operator bool() const { return isObject(); }

    // The object, or null for null and for both markers.
    ObjectBase* object() const { return isObject() ? m_ptr.get() : nullptr; }

    quint32 sequence() const { return m_sequence; }
    quint32 stamp() const { return m_stamp; }
    void setSequence(quint32 sequence) { m_sequence = sequence; }
    void setStamp(quint32 stamp) { m_stamp = stamp; }

    long useCount() const { return m_ptr.use_count(); }
    void reset()
    {
        m_ptr.reset();
        m_sequence = 0;
        m_stamp = 0;
    }

    friend bool operator==(const PointerBase& a, const PointerBase& b) { return a.m_ptr == b.m_ptr; }
    friend bool operator!=(const PointerBase& a, const PointerBase& b) { return a.m_ptr != b.m_ptr; }

protected:
    PointerBase() = default;
    PointerBase(ObjectBase* object, quint32 sequence, quint32 stamp)
        : m_ptr(object), m_sequence(sequence), m_stamp(stamp)
    {}
    explicit PointerBase(std::shared_ptr<ObjectBase> object) : m_ptr(std::move(object)) {}

    quintptr raw() const { return reinterpret_cast<quintptr>(m_ptr.get()); }
    // Shares source's object (or marker) when hold is true, else becomes null;
    // sequence and stamp are copied in every case.
    void assignFrom(const PointerBase& source, bool hold)
    {
        if (hold)
            m_ptr = source.m_ptr;
        else
            m_ptr.reset();
        m_sequence = source.m_sequence;
        m_stamp = source.m_stamp;
    }
    void makeMarker(quintptr marker)
    {
        m_ptr = std::shared_ptr<ObjectBase>(reinterpret_cast<ObjectBase*>(marker), CustomDeleter());
    }

private:
    std::shared_ptr<ObjectBase> m_ptr;
    quint32 m_sequence = 0;
    quint32 m_stamp = 0;
};

template <class T>
class Pointer : public PointerBase
{
    static_assert(std::is_base_of<ObjectBase, T>::value, "Pointer<T> needs an archive object class");

public:
    Pointer() = default;
    // Takes ownership of a newly created object (deleted if wrapping fails).
    explicit Pointer(T* object, quint32 sequence = 0, quint32 stamp = 0) : PointerBase(object, sequence, stamp) {}
    // Converts implicitly only upwards, from a class derived from T; any other
    // conversion goes through dynamicPointerCast or staticPointerCast, so a
    // wrong handle cannot turn into a silent null far from its cause.
    template <class U, std::enable_if_t<std::is_base_of<T, U>::value, int> = 0>
    Pointer(const Pointer<U>& other)
    {
        assignFrom(other, !other.isNull());
    }

    static Pointer removedMarker()
    {
        Pointer p;
        p.makeMarker(kRemovedMarker);
        return p;
    }
    static Pointer reservedMarker()
    {
        Pointer p;
        p.makeMarker(kReservedMarker);
        return p;
    }

    static Pointer dynamicCast(const PointerBase& source)
    {
        Pointer result;
        const bool hold =
            source.isRemovedMarker() || (source.isObject() && dynamic_cast<T*>(source.object()) != nullptr);
        result.assignFrom(source, hold);
        return result;
    }
    static Pointer staticCast(const PointerBase& source)
    {
        Pointer result;
        result.assignFrom(source, source.isRemovedMarker() || source.isObject());
        return result;
    }

    T* get() const { return static_cast<T*>(object()); }
    T* operator->() const { return &**this; }
    T& operator*() const
    {
        if (!isObject())
            throw std::logic_error("Dereferenced an object pointer that holds no object");
        return *static_cast<T*>(object());
    }

private:
    template <class U, class... Args>
    friend Pointer<U> makeObject(Args&&... args);

    explicit Pointer(std::shared_ptr<ObjectBase> object) : PointerBase(std::move(object)) {}
};

using ObjectPtr = Pointer<ObjectBase>;

// Makes a new object of class T from args, held by its first handle: the
// object and its reference count in one allocation. Pointer<T>(T*) is for
// adopting an object made elsewhere (a clone, a factory's).
template <class T, class... Args>
Pointer<T> makeObject(Args&&... args)
{
    return Pointer<T>(std::shared_ptr<ObjectBase>(std::make_shared<T>(std::forward<Args>(args)...)));
}

template <class T>
Pointer<T> dynamicPointerCast(const PointerBase& source)
{
    return Pointer<T>::dynamicCast(source);
}

// Without the class check: the caller knows the class.
template <class T>
Pointer<T> staticPointerCast(const PointerBase& source)
{
    return Pointer<T>::staticCast(source);
}

}  // namespace Archive

// Three words whose meaning the classes that stream lists of tags give them.
// Streamed as a block of code 55 holding second, third, first.
class ObjectTag
{
public:
    static constexpr quint32 kTypeCode = 55;

    quint32 first = 0xFFFFFFFFu;
    quint32 second = 0xFFFFFFFFu;
    quint32 third = 0xFFFFFFFFu;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const ObjectTag&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // ARCHIVE_OBJECT_BASE_H
