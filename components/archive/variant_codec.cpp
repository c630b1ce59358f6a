#include "components/archive/variant_codec.h"

#include <QBuffer>
#include <QByteArrayList>
#include <QIODevice>
#include <QStringList>

#include <stdexcept>

namespace VariantCodec {

namespace {

constexpr int kMaxDepth = 64;

bool ok(const QDataStream& stream) { return stream.status() == QDataStream::Ok; }

void corrupt(QDataStream& stream)
{
    if (ok(stream))
        stream.setStatus(QDataStream::ReadCorruptData);
}

// An element count that the data left can hold (every element takes a byte).
bool readCount(QDataStream& stream, quint32& count)
{
    stream >> count;
    if (!ok(stream))
        return false;
    const QIODevice* device = stream.device();
    if (!device || qint64(count) > device->bytesAvailable()) {
        corrupt(stream);
        return false;
    }
    return true;
}

// Built-in types whose own readers allocate only what the data holds and do
// work in proportion to it.
bool isSafeBuiltIn(int type)
{
    switch (type) {
    // Reading compiles the pattern: a few bytes can take minutes and
    // gigabytes. Nothing of ours stores one.
    case QMetaType::QRegExp:
    case QMetaType::QRegularExpression:
    case QMetaType::QEasingCurve:
    case QMetaType::QCborValue:
    case QMetaType::QCborArray:
    case QMetaType::QCborMap:
    case QMetaType::QModelIndex:
    case QMetaType::QPersistentModelIndex:
    case QMetaType::VoidStar:
    case QMetaType::QObjectStar:
        return false;
    default:
        break;
    }
    if (type < QMetaType::FirstGuiType)
        return true;
    switch (type) {
    case QMetaType::QFont:
    case QMetaType::QColor:
    case QMetaType::QKeySequence:
    case QMetaType::QTextLength:
    case QMetaType::QTransform:
    case QMetaType::QMatrix4x4:
    case QMetaType::QVector2D:
    case QMetaType::QVector3D:
    case QMetaType::QVector4D:
    case QMetaType::QQuaternion:
        return true;
    default:
        // Images, pixmaps, polygons, regions, brushes, pens, palettes, text
        // formats and cursors carry counts or images that Qt reads unchecked.
        return type >= QMetaType::User;
    }
}

void readValue(QDataStream& stream, QVariant& value, int depth);

template <class List, class Element>
void readList(QDataStream& stream, QVariant& value, int depth, Element readElement)
{
    quint32 count = 0;
    if (!readCount(stream, count))
        return;
    List list;
    for (quint32 i = 0; i < count && ok(stream); ++i)
        list.append(readElement(depth));
    if (ok(stream))
        value = QVariant::fromValue(list);
}

template <class Map>
void readMap(QDataStream& stream, QVariant& value, int depth)
{
    quint32 count = 0;
    if (!readCount(stream, count))
        return;
    Map map;
    for (quint32 i = 0; i < count && ok(stream); ++i) {
        QString key;
        QVariant element;
        stream >> key;
        readValue(stream, element, depth + 1);
        map.insert(key, element);
    }
    if (ok(stream))
        value = QVariant::fromValue(map);
}

void readValue(QDataStream& stream, QVariant& value, int depth)
{
    value = QVariant();
    if (depth > kMaxDepth) {
        corrupt(stream);
        return;
    }
    quint32 typeId = 0;
    qint8 isNull = 0;
    stream >> typeId >> isNull;
    if (!ok(stream))
        return;
    int type = int(typeId);
    if (typeId == quint32(QMetaType::User)) {
        QByteArray name;
        stream >> name;
        type = ok(stream) ? QMetaType::type(name.constData()) : 0;
        if (type == QMetaType::UnknownType) {
            corrupt(stream);
            return;
        }
    } else if (typeId > quint32(QMetaType::User)) {
        corrupt(stream);
        return;
    }
    if (type == QMetaType::UnknownType)
        return;

    switch (type) {
    case QMetaType::QVariantList:
        readList<QVariantList>(stream, value, depth, [&](int d) {
            QVariant element;
            readValue(stream, element, d + 1);
            return element;
        });
        return;
    case QMetaType::QStringList:
        readList<QStringList>(stream, value, depth, [&](int) {
            QString element;
            stream >> element;
            return element;
        });
        return;
    case QMetaType::QByteArrayList:
        readList<QByteArrayList>(stream, value, depth, [&](int) {
            QByteArray element;
            stream >> element;
            return element;
        });
        return;
    case QMetaType::QVariantMap:
        readMap<QVariantMap>(stream, value, depth);
        return;
    case QMetaType::QVariantHash:
        readMap<QVariantHash>(stream, value, depth);
        return;
    case QMetaType::QVariant: {
        // Qt's own reader would take the inner value without a depth limit
        // or a type check: a few bytes a level could exhaust the stack.
        QVariant inner;
        readValue(stream, inner, depth + 1);
        if (ok(stream))
            value = QVariant(type, &inner);
        return;
    }
    default:
        break;
    }
    // An unused id in the built-in range names no type.
    if (!isSafeBuiltIn(type) || !QMetaType::isRegistered(type)) {
        corrupt(stream);
        return;
    }
    QVariant loaded(type, nullptr);
    if (!loaded.isValid() || !QMetaType::load(stream, type, loaded.data())) {
        corrupt(stream);
        return;
    }
    if (ok(stream))
        value = loaded;
}

}  // namespace

void write(QDataStream& stream, const QVariant& value)
{
    // QVariant's own writer leaves the header of a value it cannot write in
    // the stream and reports nothing; try the value on a scratch device first.
    if (value.isValid()) {
        QBuffer scratch;
        scratch.open(QIODevice::WriteOnly);
        QDataStream probe(&scratch);
        probe.setVersion(stream.version());
        if (!QMetaType::save(probe, value.userType(), value.constData()))
            throw std::logic_error(
                QStringLiteral("Cannot stream a QVariant of type %1").arg(value.typeName()).toStdString());
    }
    stream << value;
}

void read(QDataStream& stream, QVariant& value)
{
    readValue(stream, value, 0);
    if (!ok(stream))
        value = QVariant();
}

}  // namespace VariantCodec
