#include "components/lx_objects/controllers/iom_type_tracker.h"

#include "components/archive/fields.h"

#include <QUuid>

template <class F, class Self>
void IoMTypeKey::fields(F& f, Self& s)
{
    f(s.moduleId, s.typeIndex);
}

void IoMTypeKey::read(InStream& in) { Archive::readFields(in, *this); }

void IoMTypeKey::write(OutStream& out) const { Archive::writeFields(out, *this); }

IoMTypeTracker::IoMTypeTracker()
{
    BitVector allFree;
    allFree.setRawBytes(kNumbersPerKind, QByteArray(int(kNumbersPerKind / 8), char(0xFF)));
    for (const quint32 kind : {16u, 17u, 18u})
        freeNumbers.emplace(kind, allFree);
}

template <class F, class Self>
void IoMTypeTracker::fields(F& f, Self& s)
{
    f(s.typeNumbers);
    f.droppedBefore(122, std::map<QUuid, quint32>());
    f(s.freeNumbers);
}

template class Archive::Object<IoMTypeTracker>;
