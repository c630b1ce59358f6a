#include "components/archive/transponder.h"

namespace Archive {

ArrayTransponder::ArrayTransponder(QObject* parent) : QObject(parent)
{
    // Receivers in other threads get the signal through a queued connection.
    qRegisterMetaType<Archive::ArrayChangeSignal>();
}

void ArrayTransponder::notify(const ArrayChangeSignal& signal) { emit arrayChanged(signal); }

ObjectTransponder::ObjectTransponder(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<Archive::ObjectChangeSignal>();
}

void ObjectTransponder::notify(const ObjectChangeSignal& signal) { emit objectChanged(signal); }

}  // namespace Archive
