// Test support: builds version-1 show files and bundles byte by byte, in the
// layout the reader expects, so tests can state golden bytes and whole shows.
#ifndef QUILSHOW_TESTS_SHOW_WRITER_H
#define QUILSHOW_TESTS_SHOW_WRITER_H

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class ShowWriter
{
public:
    explicit ShowWriter(quint16 version = 454) : version(version) {}

    ShowWriter& u8(quint8 value) { return put(value); }
    ShowWriter& u16(quint16 value) { return put(value); }
    ShowWriter& u32(quint32 value) { return put(value); }
    ShowWriter& boolean(bool value) { return u8(value ? 1 : 0); }
    ShowWriter& raw(const QByteArray& bytes) { return data.append(bytes), *this; }
    // A count in this version's width (u16 below 98, u32 from 98), then a counted byte string.
    ShowWriter& count(quint32 value) { return version < 98 ? u16(static_cast<quint16>(value)) : u32(value); }
    ShowWriter& string(const QByteArray& bytes) { return count(static_cast<quint32>(bytes.size())).raw(bytes); }
    // A show text: bytes from version 10, UTF-16 units below.
    ShowWriter& text(const QString& value);
    // Guard words, magic and the stream version.
    ShowWriter& header(quint32 magic, quint16 guard = 0xFF33) { return u16(guard).u32(magic).u16(guard).u16(version); }
    // The rest of the chain is written only when `present` (a field of some versions).
    ShowWriter& when(bool present);

    quint16 version;
    QByteArray data;

private:
    template <typename T>
    ShowWriter& put(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        data.append(bytes, sizeof(T));
        return *this;
    }
};

// Content of a whole show. Every other section holds fixed items (output node
// 3, filled settings, DALI test schedules, from 219 font 2 with text preset 5).
struct ShowContent
{
    struct FunctionRecord
    {
        quint16 id;
        QString name;
        quint32 mask;
    };
    // One parameter per function (type 4 for 0xFFFF; function 3's carries the fixture parameter flag), then
    // `patchRecords` records alternating DMX (node 5, universe 3, channel = position) and, from 150, KiNET.
    struct ElementRecord
    {
        quint16 id;
        std::vector<quint16> functions;
        quint16 patchRecords = 2;
    };
    // Manufacturer 8, model 65 (88 and 1 below 11), dimension 10 (from 290 points (0, 0) and (10, 0)), dimmer
    // curve 3, factor 0x20000; number id + 100; patch list value 7 (type 2 from 154); label "Label", blue 3.
    struct FixtureRecord
    {
        quint16 id;
        std::vector<quint16> elementIds;
        quint32 kind = 1;
        quint16 columns = 2;
        quint16 rows = 1;
    };
    // Name "Palette", time 0x20B5 (10 s), skew type 2, group {5: [1, 2]}; per function a value of kind 0x001
    // (value2 = position, number1Bits 300, exponent 2, times 0x2001 and 200).
    struct PaletteRecord
    {
        quint16 id;
        std::vector<quint16> functions;
    };
    // Interface 1, short address 2, settings 10 to 16, flag true, text "Ballast".
    struct DaliFixtureRecord
    {
        quint16 id;
        quint16 fixtureId;
    };

    quint16 version = 454;
    quint32 magic = 0x8484;
    quint8 savedBy[3] = {3, 2, 1};
    std::vector<FunctionRecord> functions;
    QByteArray backgroundImagePath = "./media/a.png";
    float oldTimeZone = -20.5f;  // stored as a float from version 15 to 23
    std::map<quint32, std::pair<std::set<quint16>, QString>> groups;
    std::vector<ElementRecord> elements;
    std::vector<FixtureRecord> fixtures;
    std::vector<PaletteRecord> palettes;
    std::vector<DaliFixtureRecord> daliFixtures;
    // Non-zero counts put items into a section the reader refuses.
    quint16 triggerCount = 0;
};

// Sections and records of buildShow, in the writer's version.
void writeDynamicText(ShowWriter& w);
void writeDali(ShowWriter& w, const std::vector<ShowContent::DaliFixtureRecord>& fixtures);
void writeElement(ShowWriter& w, const ShowContent::ElementRecord& element);
void writeFixture(ShowWriter& w, const ShowContent::FixtureRecord& fixture);
void writePalette(ShowWriter& w, const ShowContent::PaletteRecord& palette);
void writeDaliFixture(ShowWriter& w, const ShowContent::DaliFixtureRecord& fixture);
QByteArray buildShow(const ShowContent& content);

// A version-1 bundle of the given files (name -> content); `countText` is the
// file count as written (the real count when empty).
QByteArray buildBundle(const std::vector<std::pair<QByteArray, QByteArray>>& files,
                       const QByteArray& countText = QByteArray());

bool writeFile(const QString& path, const QByteArray& data);

// The bytes given in hex (spaces allowed) as a stream body of `version`.
inline ShowWriter hexBody(quint16 version, const char* hex)
{
    return ShowWriter(version).raw(QByteArray::fromHex(hex));
}

// The text of the `Error` that `f` throws, or "no error".
template <typename Error = std::runtime_error, typename F>
std::string errorOf(F f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

#endif  // QUILSHOW_TESTS_SHOW_WRITER_H
