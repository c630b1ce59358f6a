#include "components/lx_objects/controllers/io_module.h"

#include "components/archive/fields.h"

namespace {

// A version as four 32-bit words, one a byte.
struct VersionAsWords
{
    using Stored = std::tuple<quint32, quint32, quint32, quint32>;
    static Stored store(const Version& v) { return {v.majorVersion(), v.minorVersion(), v.patchVersion(), v.tag()}; }
    static Version load(const Stored& words)
    {
        const auto byte = [](quint32 word) { return char(word & 0xFF); };
        const char bytes[] = {byte(std::get<0>(words)), byte(std::get<1>(words)), byte(std::get<2>(words)),
                              byte(std::get<3>(words))};
        return Version::fromByteArray(QByteArray(bytes, 4));
    }
};

// A URL as the bytes of its fully encoded form.
struct UrlAsEncodedBytes
{
    using Stored = QByteArray;
    static QByteArray store(const QUrl& url) { return url.toEncoded(QUrl::FullyEncoded); }
    static QUrl load(const QByteArray& bytes) { return QUrl::fromEncoded(bytes, QUrl::TolerantMode); }
};

}  // namespace

// ---- IoMContributor ----

template <class F, class Self>
void IoMContributor::fields(F& f, Self& s)
{
    f(s.name, s.detail, Archive::storedVia<UrlAsEncodedBytes>(s.url));
}

void IoMContributor::read(InStream& in) { Archive::readFields(in, *this); }

void IoMContributor::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoMPackage ----

template <class F, class Self>
void IoMPackage::fields(F& f, Self& s)
{
    f(s.id, Archive::storedVia<VersionAsWords>(s.versionA), Archive::storedVia<VersionAsWords>(s.versionB), s.number,
      s.text1, s.text2, s.mainContributor, s.contributors, s.text3, s.text4);
    f.since(150, s.text5);
    f.since(130, s.stringSet);
}

void IoMPackage::read(InStream& in) { Archive::readFields(in, *this); }

void IoMPackage::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoModule ----

template <class F, class Self>
void IoModule::fields(F& f, Self& s)
{
    f(s.name, s.package, s.configuration, s.typeNumbers, s.indexMaps);
    f.since(150, propertyMapField(s.properties));
}

void IoModule::read(InStream& in)
{
    registerIoMetaTypes();
    Archive::readFields(in, *this);
    // Names stored before 139 are not the module's name.
    if (in.version() < 139)
        name.clear();
}

void IoModule::write(OutStream& out) const
{
    registerIoMetaTypes();
    Archive::writeFields(out, *this);
}
