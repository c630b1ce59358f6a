// Writes the seed corpora of the fuzz harnesses into <folder>/<harness>/,
// from the project's own writers: version-1 shows at several versions and of
// each kind, bundles, database array files with one object of every class the
// type registry holds (and filled samples, also relabelled as older
// versions), packed archives, a project file, fixture definitions, and plan
// images of every format, whole and cut.
//
//     make_corpus <corpus folder>
//
// Rerun it when a format or the registration table changes; the seeds are
// small on purpose (the campaigns grow their own corpora elsewhere).
#include "applications/morvant/conversion/tests/plan_image_samples.h"
#include "components/archive/archive_file.h"
#include "components/archive/binary_stream.h"
#include "components/archive/database.h"
#include "components/archive/database_array.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/edit_context.h"
#include "components/archive/text_stream.h"
#include "components/archive/type_registry.h"
#include "components/fixture_library/fixture_file.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/tests/fixture_file_sample.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/media/composition.h"
#include "components/lx_objects/media/frame_array.h"
#include "components/lx_objects/programming/custom_preset.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/project/object_types.h"
#include "components/lx_objects/project/project_database.h"
#include "components/lx_objects/project/resource_keys.h"
#include "components/project/tarvel_base_project.h"
#include "components/quilshow/tests/show_writer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

QString g_root;

void put(const char* harness, const QString& name, const QByteArray& bytes)
{
    const QString folder = g_root + QLatin1Char('/') + QLatin1String(harness);
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + file.fileName().toStdString());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

// ---------------------------------------------------------------- version-1 shows

void showSeeds()
{
    // The kind byte the show-load harness reads first: kvq, wvq, jvq, none.
    const std::pair<char, quint32> kinds[] = {{0, 0x8484}, {1, 0x9393}, {2, 0x7575}, {3, 0x8484}};
    for (const quint16 version : {9, 17, 97, 98, 163, 205, 219, 417, 454}) {
        const ShowContent content(version);
        const QByteArray show = buildShow(content);
        put("show_load", QStringLiteral("kvq-%1").arg(version), QByteArray(1, 0) + show);
        if (version == 454 || version == 98) {
            for (const auto& [kind, magic] : kinds) {
                ShowContent other = content;
                other.magic = magic;
                put("show_load", QStringLiteral("kind%1-%2").arg(int(kind)).arg(version),
                    QByteArray(1, kind) + buildShow(other));
            }
        }
        if (version == 454) {
            const QByteArray bundle =
                buildBundle({{"show.kvq", show}, {"media/clip.bin", QByteArray(40, 'c')}, {"notes\\a.txt", "text"}});
            put("bundle", QStringLiteral("show-454"), bundle);
            put("show_load", QStringLiteral("bundle-454"), QByteArray(1, 0) + bundle);
        }
    }
    put("bundle", QStringLiteral("two-shows"),
        buildBundle({{"a.kvq", buildShow(ShowContent(300))}, {"b/c.wvq", buildShow(ShowContent(120))}}));
    put("bundle", QStringLiteral("empty"), buildBundle({}));
}

// ---------------------------------------------------------------- object streams

// A filled sample per class the samples know, the rest default-made.
Archive::ObjectBase* sampleObject(quint32 code)
{
    if (code == Controller::kTypeCode) {
        auto* controller = new Controller;
        controller->setType(Controller::QmbType);
        controller->setText(QStringLiteral("second"), 3);
        controller->contentMasks = {{1, ContentMask()}};
        return controller;
    }
    if (code == CustomPreset::kTypeCode) {
        auto* preset = new CustomPreset;
        preset->setName(QStringLiteral("preset")), preset->setScript(QStringLiteral("return 1"));
        for (quint32 type = 0; type <= 7; ++type) {
            CustomPresetProperty& p = preset->properties()[QString::number(type)];
            p.setType(CustomPresetProperty::Type(type));
            if (p.gradient())
                p.gradient()->addPoint(0, RGBData(1, 2, 3, 4));
        }
        return preset;
    }
    if (code == Composition::kTypeCode) {
        auto* composition = new Composition;
        composition->targets()[3].instances[2].position = QPointF(0, 0.25);
        return composition;
    }
    if (code == FrameArray::kTypeCode) {
        auto* frames = new FrameArray;
        frames->frames[39] = QUuid(QStringLiteral("{6f1d3c52-2b9e-4c55-9d34-0b1f1c2d3e4f}"));
        return frames;
    }
    if (code == ResourceKeys::kTypeCode) {
        auto* keys = new ResourceKeys;
        keys->keys = {{1, QStringLiteral("one")}, {0xFFFFFFFF, QStringLiteral("last")}};
        return keys;
    }
    if (code == TextSlotValues::kTypeCode) {
        auto* values = new TextSlotValues;
        values->setSlotText(QStringLiteral("a"), QStringLiteral("one"));
        return values;
    }
    return ObjectRegistry::create(code);
}

template <class Out>
QByteArray arrayFile(const std::vector<Archive::ObjectBase*>& objects, const QString& path)
{
    Archive::Array array(1, 4096, nullptr);
    Archive::ObjectId id = 0;
    for (Archive::ObjectBase* object : objects) {
        array.loadSlot(id, Archive::ObjectPtr(object), 1, 2);
        id += 2;  // freed slots between the objects
    }
    const QByteArray extra("creator");
    {
        Out out(kProjectStreamVersion);
        out.open(path, &extra);
        Archive::writeArrayObjects(out, array, 0, array.slotCount());
        out.close();
    }
    return readFile(path);
}

void objectStreamSeeds(const QString& scratch)
{
    const QString path = scratch + QStringLiteral("/array");
    const quint32 filled[] = {Controller::kTypeCode, CustomPreset::kTypeCode, Composition::kTypeCode,
                              FrameArray::kTypeCode, ResourceKeys::kTypeCode, TextSlotValues::kTypeCode};
    int made = 0;
    for (quint32 code = 0; code < 0x10000; ++code) {
        const ObjectRegistry::Record* record = ObjectRegistry::instance().find(code);
        if (!record || record->kind != ObjectRegistry::Kind::Object || !record->objectFactory)
            continue;
        const auto one = [&] { return std::vector<Archive::ObjectBase*> {sampleObject(code)}; };
        try {
            put("object_stream", QStringLiteral("code-%1").arg(code), arrayFile<BinaryOutStream>(one(), path));
            put("text_stream", QStringLiteral("code-%1").arg(code), arrayFile<TextOutStream>(one(), path));
            ++made;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "code %u not written: %s\n", code, e.what());
        }
    }
    std::fprintf(stderr, "%d object classes in the stream seeds\n", made);
    // All filled samples in one array, at the newest version and relabelled as
    // older ones (the version word follows the 8-byte magic).
    const auto all = [&] {
        std::vector<Archive::ObjectBase*> objects;
        for (const quint32 code : filled)
            objects.push_back(sampleObject(code));
        return objects;
    };
    const QByteArray newest = arrayFile<BinaryOutStream>(all(), path);
    for (const quint16 version : {9, 61, 77, 112, 130, 149, int(kProjectStreamVersion)}) {
        QByteArray bytes = newest;
        bytes[8] = char(version >> 8), bytes[9] = char(version & 0xFF);
        put("object_stream", QStringLiteral("samples-%1").arg(version), bytes);
    }
    put("text_stream", QStringLiteral("samples"), arrayFile<TextOutStream>(all(), path));
}

// ---------------------------------------------------------------- archives and projects

QByteArray packed(int kind, const std::function<void(ArchiveFile&)>& add)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ArchiveFile archive;
    if (!archive.open(ArchiveFile::WriteMode, &buffer, kind))
        throw std::runtime_error("cannot pack");
    archive.setCompressionThreads(1);
    add(archive);
    if (!archive.close())
        throw std::runtime_error("cannot pack: " + archive.errorString().toStdString());
    return bytes;
}

void archiveSeeds()
{
    const auto files = [](ArchiveFile& archive) {
        archive.addBuffer(QByteArray("first file"), QStringLiteral("folder/one.txt"));
        archive.addBuffer(QByteArray(3000, 'x') + QByteArray(50, '\x01'), QStringLiteral("two.bin"));
        archive.addEmptyFile(QStringLiteral("folder/sub/empty"));
    };
    put("archive_extract", QStringLiteral("targz"), QByteArray(1, 0) + packed(ArchiveFile::TarGzKind, files));
    put("archive_extract", QStringLiteral("tar"), QByteArray(1, 0) + packed(ArchiveFile::TarKind, files));
    put("archive_extract", QStringLiteral("zip"), QByteArray(1, 1) + packed(ArchiveFile::ZipKind, files));
}

void projectSeeds(const QString& scratch)
{
    const QString folder = scratch + QStringLiteral("/project");
    const QString databasePath = folder + QLatin1Char('/') + Archive::projectDatabaseFolderName();
    QDir().mkpath(folder);
    const Archive::DatabaseId db =
        Archive::createDatabase(makeDatabaseSettings(0x7FFFFFFF, 0x7FFFFFFF), Archive::projectSchema());
    Archive::DatabaseOpenParameters open;
    open.path = databasePath, open.supportedVersion = kProjectStreamVersion, open.extra = QByteArray("creator");
    Archive::openDatabase(open, db);
    Archive::setCurrentDatabase(db);
    {
        Archive::EditContext context(db);
        for (const quint32 code : {Controller::kTypeCode, FrameArray::kTypeCode}) {
            Archive::ObjectPtr object(sampleObject(code));
            Archive::ObjectId id = Archive::kNoObjectId;
            const Archive::ArrayId arrayId =
                code == Controller::kTypeCode ? Controller::kArrayId : FrameArray::kArrayId;
            Archive::addObject(arrayId, id, object, db);
        }
        context.commit();
    }
    Archive::saveDatabase(db, Archive::kSaveForce);
    Archive::closeDatabase(db);
    Archive::setCurrentDatabase(Archive::kNoDatabase);

    TarvelBaseProject project(false, 1);
    project.setHeader({QUuid(QStringLiteral("{0d1f1c2d-2b9e-4c55-9d34-6f1d3c523e4f}")), 1, 7});
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!project.writeHeader(&buffer))
        throw std::runtime_error("cannot write the header");
    buffer.close();
    bytes += packed(ArchiveFile::TarGzKind, [&](ArchiveFile& archive) {
        archive.addPathUnder(databasePath, Archive::projectDatabaseFolderName());
        archive.addBuffer(QByteArray("resource"), QStringLiteral("resources/{0d1f1c2d-2b9e-4c55-9d34-6f1d3c523e4f}"));
    });
    put("project_open", QStringLiteral("project"), bytes);
    put("project_open", QStringLiteral("header-only"), bytes.left(ProjectFileHeader::kSize));
}

// ---------------------------------------------------------------- fixture files and command lines

void fixtureSeeds()
{
    QString hue;
    for (int i = 0; i < 2048; ++i)
        hue += QString::number((i * 7) & 0xFF, 16).rightJustified(2, QLatin1Char('0'));
    const QString text = sampleFixtureFile(hue) + QLatin1Char('\n');
    const QByteArray bytes = text.toUtf8();
    put("fixture_file", QStringLiteral("library"), bytes);
    QBuffer in;
    in.setData(bytes);
    ConcatenatingMessageHandler messages;
    const auto definitions = parseFixtureFile(in, QStringLiteral("seed.fixture"), messages);
    if (definitions.size() != 2)
        throw std::runtime_error("the fixture seed does not parse: "
                                 + messages.messages().join(QLatin1Char('\n')).toStdString());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    writeFixtureFile(out, definitions);
    put("fixture_file", QStringLiteral("written"), out.data());
}

void commandLineSeeds()
{
    put("command_line", QStringLiteral("path"), QByteArray("show.kvq"));
    put("command_line", QStringLiteral("options"),
        QByteArray("-abc\0--name=value\0--other\0v\0-x\0y\0--\0file.kvq\0", 46));
    put("command_line", QStringLiteral("pending"), QByteArray("--name\0-x", 9));
}

// ---------------------------------------------------------------- plan images

void planImageSeeds()
{
    using namespace PlanImageSamples;
    QImage plan(24, 16, QImage::Format_RGB32);  // a grid, so that every format has something to compress
    for (int y = 0; y < plan.height(); ++y)
        for (int x = 0; x < plan.width(); ++x)
            plan.setPixel(x, y, x % 4 == 0 || y % 4 == 0 ? 0xFF203040 : 0xFFF0E0D0);
    QByteArray zeroFields = encoded(plan, "JPEG");  // a sequential scan's spectral fields all zero
    const int scan = int(zeroFields.indexOf("\xFF\xDA"));
    zeroFields.replace(scan + 2 + (uchar(zeroFields[scan + 2]) << 8 | uchar(zeroFields[scan + 3])) - 3, 3, "\0\0\0", 3);
    const std::pair<const char*, QByteArray> images[] = {
        {"baseline.jpg", encoded(plan, "JPEG")},
        {"progressive.jpg", encoded(plan, "JPEG", true)},
        {"grey.jpg", encoded(plan.convertToFormat(QImage::Format_Grayscale8), "JPEG")},
        {"fields.jpg", zeroFields},
        {"rgb.png", encoded(plan, "PNG")},
        {"deep.png", encoded(plan.convertToFormat(QImage::Format_RGBA64), "PNG")},
        {"indexed.png", encoded(plan.convertToFormat(QImage::Format_Indexed8), "PNG")},
        {"mono.png", encoded(plan.convertToFormat(QImage::Format_Mono), "PNG")},
        {"frame.gif", uniformGif(24, 16, 24, 16, 8)},
        {"screen.gif", uniformGif(40, 30, 8, 8)},
        {"rgb.bmp", encoded(plan, "BMP")},
        {"indexed.bmp", encoded(plan.convertToFormat(QImage::Format_Indexed8), "BMP")},
        {"mono.bmp", encoded(plan.convertToFormat(QImage::Format_Mono), "BMP")},
        {"topdown.bmp", topDownBmp(plan)},
        {"rle8.bmp", rleBmp(false, 12, 6, false)},
        {"rle4.bmp", rleBmp(true, 12, 6, true)},
        {"icon.ico", iconHolding(encoded(plan, "PNG"))},
        {"grey.tif", tiff()},
    };
    for (const auto& [name, bytes] : images) {
        put("plan_image", QLatin1String(name), bytes);
        put("plan_image", QLatin1String(name) + QStringLiteral(".cut"), bytes.left(bytes.size() * 2 / 3));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus <corpus folder>\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    try {
        registerObjectTypes();
        showSeeds();
        objectStreamSeeds(scratch.path());
        archiveSeeds();
        projectSeeds(scratch.path());
        fixtureSeeds();
        commandLineSeeds();
        planImageSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
