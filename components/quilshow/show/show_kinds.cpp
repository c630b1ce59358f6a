#include "components/quilshow/show/show_kinds.h"

namespace Quil {

namespace {

struct KindMagic
{
    const char* kind;
    quint32 magic;
    bool bundle;
};

const KindMagic kKindMagics[] = {
    {"kvq", 0x8484, false}, {"kvx", 0x8484, true},  {"wvq", 0x9393, false},
    {"wvx", 0x9393, true},  {"jvq", 0x7575, false}, {"jvx", 0x7575, true},
};

const KindMagic* findKind(const QString& kind)
{
    for (const KindMagic& entry : kKindMagics) {
        if (kind.compare(QLatin1String(entry.kind), Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

}  // namespace

quint32 fileTypeMagicForKind(const QString& kind)
{
    const KindMagic* entry = findKind(kind);
    return entry ? entry->magic : 0;
}

bool isBundleKind(const QString& kind)
{
    const KindMagic* entry = findKind(kind);
    return entry && entry->bundle;
}

}  // namespace Quil
