#include "components/lx_objects/controllers/io_module.h"

#include "components/archive/fields.h"

namespace {

// A version as four 32-bit words, one a byte.
template <class V>
struct VersionWords
{
    V& version;
};

template <class V>
VersionWords<V> versionWords(V& version)
{
    return VersionWords<V> {version};
}

InStream& operator>>(InStream& in, VersionWords<Version> field)
{
    QByteArray bytes(4, '\0');
    for (char& byte : bytes) {
        quint32 word = 0;
        in >> word;
        byte = char(word & 0xFF);
    }
    field.version = Version::fromByteArray(bytes);
    return in;
}

OutStream& operator<<(OutStream& out, VersionWords<const Version> field)
{
    const Version& v = field.version;
    return out << quint32(v.majorVersion()) << quint32(v.minorVersion()) << quint32(v.patchVersion())
               << quint32(v.tag());
}

// A URL as the bytes of its fully encoded form.
template <class U>
struct EncodedUrl
{
    U& url;
};

template <class U>
EncodedUrl<U> encodedUrl(U& url)
{
    return EncodedUrl<U> {url};
}

InStream& operator>>(InStream& in, EncodedUrl<QUrl> field)
{
    QByteArray bytes;
    in >> bytes;
    field.url = QUrl::fromEncoded(bytes, QUrl::TolerantMode);
    return in;
}

OutStream& operator<<(OutStream& out, EncodedUrl<const QUrl> field)
{
    return out << field.url.toEncoded(QUrl::FullyEncoded);
}

}  // namespace

// ---- IoMContributor ----

template <class F, class Self>
void IoMContributor::fields(F& f, Self& s)
{
    f(s.name, s.detail, encodedUrl(s.url));
}

void IoMContributor::read(InStream& in) { Archive::readFields(in, *this); }

void IoMContributor::write(OutStream& out) const { Archive::writeFields(out, *this); }

// ---- IoMPackage ----

template <class F, class Self>
void IoMPackage::fields(F& f, Self& s)
{
    f(s.id, versionWords(s.versionA), versionWords(s.versionB), s.number, s.text1, s.text2, s.mainContributor,
      s.contributors, s.text3, s.text4);
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
