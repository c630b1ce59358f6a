// The sibling product's project-level objects (namespace Vux): its project
// record, its override properties and its password store. This system never
// makes them: a database that holds them reads, copies and writes them back
// unchanged, so their numbered fields carry no meaning here.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_VUX_PROJECT_H
#define LX_OBJECTS_VUX_PROJECT_H

#include "components/archive/object.h"

#include <QString>
#include <QUuid>

#include <compare>
#include <map>
#include <set>

namespace Vux {

// Two numbers stored one after the other, without a block of their own;
// ordered by the first, then the second.
struct IdPair
{
    quint32 first = 0;
    quint32 second = 0;

    auto operator<=>(const IdPair&) const = default;
};

InStream& operator>>(InStream& in, IdPair& pair);
OutStream& operator<<(OutStream& out, const IdPair& pair);

class Project final : public Archive::Object<Project>
{
public:
    static constexpr quint32 kTypeCode = 350;
    static constexpr Archive::ArrayId kArrayId = 1;

    QUuid uuidA;
    QString name;
    QUuid uuidB;
    quint32 value = 0;
    QString text;
    std::map<quint32, std::set<IdPair>> pairSets;
    std::map<IdPair, QString> pairNames;

    bool operator==(const Project&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class OverrideProperties final : public Archive::Object<OverrideProperties>
{
public:
    static constexpr quint32 kTypeCode = 382;

    quint8 valueA = 3;
    quint8 valueB = 4;
    quint32 valueC = 15;
    quint32 valueD = 18;
    bool flag = true;

    bool operator==(const OverrideProperties&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// The key of a password store's entry; ordered by kind, then by name.
struct PasswordKey
{
    static constexpr quint32 kTypeCode = 380;

    quint8 kind = 0;
    QString name;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator<(const PasswordKey& other) const;
    bool operator==(const PasswordKey&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// Holds only what a stream put in it; the program keeps no password of its
// own.
class PasswordStore final : public Archive::Object<PasswordStore>
{
public:
    static constexpr quint32 kTypeCode = 381;

    std::map<PasswordKey, QString> entries;

    bool operator==(const PasswordStore&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

}  // namespace Vux

extern template class Archive::Object<Vux::Project>;
extern template class Archive::Object<Vux::OverrideProperties>;
extern template class Archive::Object<Vux::PasswordStore>;

#endif  // LX_OBJECTS_VUX_PROJECT_H
