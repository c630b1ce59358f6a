// The QDataStream form of a QVariant, as the object streams store it (the
// binary stream directly, the text stream percent-encoded).
//
// write() is QDataStream's own form, but refuses a value whose type has no
// stream operators instead of leaving a half-written value behind.
// read() reads the same form without trusting it: container counts are checked
// against the bytes remaining before anything is reserved, nesting is limited,
// and types whose Qt readers allocate from unchecked counts, or do work that
// grows faster than their input (regular expressions), are refused. A
// refused or short value leaves the stream's status not Ok and the value
// invalid. Stateless; any thread.
#ifndef ARCHIVE_VARIANT_CODEC_H
#define ARCHIVE_VARIANT_CODEC_H

#include <QDataStream>
#include <QVariant>

namespace VariantCodec {

void write(QDataStream& stream, const QVariant& value);
void read(QDataStream& stream, QVariant& value);

}  // namespace VariantCodec

#endif  // ARCHIVE_VARIANT_CODEC_H
