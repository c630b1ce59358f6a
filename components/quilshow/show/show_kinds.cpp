#include "components/quilshow/show/show_kinds.h"

namespace Quil {

namespace {

struct KindMagic
{
    const char* kind;
    quint32 magic;
};

const KindMagic kKindMagics[] = {
    {"kvq", 0x8484}, {"kvx", 0x8484}, {"wvq", 0x9393},
    {"wvx", 0x9393}, {"jvq", 0x7575}, {"jvx", 0x7575},
};

}  // namespace

quint32 fileTypeMagicForKind(const QString& kind)
{
    for (const KindMagic& entry : kKindMagics) {
        if (kind.compare(QLatin1String(entry.kind), Qt::CaseInsensitive) == 0)
            return entry.magic;
    }
    return 0;
}

}  // namespace Quil
