// IoModule is a plug-in description that a project carries (array 40): its
// package (identity, versions, contributors), its configuration (the
// templates of its properties, triggers, conditions and actions), the type
// numbers and index maps the project keeps for it, and its property values.
// Projects bring IO modules with them; the conversion creates none.
//
// Property values may hold the IO meta types (io_meta_types.h); reading or
// writing a module registers them first.
//
// Owned by the database like every archive object; one thread edits a copy.
// The package and contributor are plain values.
#ifndef LX_OBJECTS_CONTROLLERS_IO_MODULE_H
#define LX_OBJECTS_CONTROLLERS_IO_MODULE_H

#include "components/archive/object_base.h"
#include "components/lx_objects/controllers/iom_configuration.h"
#include "components/lx_objects/controllers/iom_type_tracker.h"
#include "components/lx_objects/programming/io_meta_types.h"
#include "seltrane_components/os/version.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <map>
#include <set>
#include <vector>

struct IoMContributor
{
    static constexpr quint32 kTypeCode = 282;

    QString name;
    QString detail;
    QUrl url;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMContributor&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

struct IoMPackage
{
    static constexpr quint32 kTypeCode = 283;

    QUuid id;
    // A tag without a kind (below 0x40, not 0) reads as 0, as everywhere a
    // version is read.
    Version versionA;
    Version versionB;
    quint16 number = 0;
    QString text1;
    QString text2;
    IoMContributor mainContributor;
    std::vector<IoMContributor> contributors;
    QString text3;
    QString text4;
    QString text5;
    std::set<QString> stringSet;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const IoMPackage&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class IoModule : public Archive::ObjectBase
{
public:
    static constexpr quint32 kTypeCode = 276;
    static constexpr Archive::ArrayId kArrayId = 40;

    void read(InStream& in) override;
    void write(OutStream& out) const override;
    quint32 typeCode() const override { return kTypeCode; }
    IoModule* clone() const override { return new IoModule(*this); }

    QString name;
    IoMPackage package;
    IoMConfiguration configuration;
    std::map<IoMTypeKey, quint16> typeNumbers;
    std::map<quint32, std::map<quint16, quint16>> indexMaps;
    IoMPropertyMap properties;

    bool operator==(const IoModule&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_CONTROLLERS_IO_MODULE_H
