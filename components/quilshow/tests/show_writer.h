// Test support: version-1 shows and bundles byte by byte. Every reader has
// one gate table: rows of the bytes that the versions [from, until) hold, as
// they stored them, so that a sweep reads each gate from both sides. Row text
// is hex with four kinds of token:
//     #3            a count in the version's width (u16 below 98, u32 from)
//     'Name'        a show text (UTF-16 units below 10, bytes from 10)
//     "web"         a byte string (a count, then the bytes)
//     <0102|0101>   a record marker, the first from 17, the second below
// The expected value of each reader at a version sits beside its table.
#ifndef QUILSHOW_TESTS_SHOW_WRITER_H
#define QUILSHOW_TESTS_SHOW_WRITER_H

#include "components/quilshow/show/dali.h"
#include "components/quilshow/show/dynamic_text.h"
#include "components/quilshow/show/fixture.h"
#include "components/quilshow/show/function.h"
#include "components/quilshow/show/output_node.h"
#include "components/quilshow/show/palette.h"
#include "components/quilshow/show/show_settings.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <QtGlobal>

#include <map>
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
    ShowWriter& raw(const QByteArray& bytes) { return data.append(bytes), *this; }
    ShowWriter& count(quint32 value) { return version < 98 ? u16(static_cast<quint16>(value)) : u32(value); }
    ShowWriter& string(const QByteArray& bytes) { return count(static_cast<quint32>(bytes.size())).raw(bytes); }
    ShowWriter& text(const QString& value);
    // Guard words, magic and the stream version.
    ShowWriter& header(quint32 magic, quint16 guard1 = 0xFF33, quint16 guard2 = 0xFF33)
    {
        return u16(guard1).u32(magic).u16(guard2).u16(version);
    }
    // Row text with tokens, in this version's form.
    ShowWriter& row(const std::string& text);

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

constexpr quint16 kAll = 0xFFFF;

struct ShowRow
{
    quint16 from;
    quint16 until;
    std::string text;
};
typedef std::vector<ShowRow> ShowTable;

// Rows from one text: "[a-b: ...]" holds what the versions [a, b) store
// ("[a-: ...]" from a, "[-b: ...]" below b, "[-b:]" an empty row that marks a
// fix-up edge); the text outside brackets is stored from `from` on.
ShowTable rowsOf(const std::string& text, quint16 from = 0);
// Little-endian hex of a word, for rows built in code.
std::string hex16(quint16 value);
std::string hex32(quint32 value);

// Rows of a version-454 fixture element of functions 0 and 3 (Pan, flagged) in patch group 1, six channels, with
// its patch records; and patch records: universe-based (`kind` 1 is DMX), KiNET.
std::string elementRecord(quint16 id, const std::vector<std::string>& patches);
std::string universePatch(quint16 kind, quint16 node, quint16 universe, quint16 channel, quint8 point = 1);
std::string kinetPatch(quint16 node, quint16 supply, quint16 port, quint16 channel);

// The bytes a version holds.
QByteArray bytesAt(quint16 version, const ShowTable& table);
// Every version next to a row's edge or a width change its tokens meet, and 454.
std::vector<quint16> gateVersions(const std::vector<const ShowTable*>& tables);

// The tables of a whole show, section by section in stream order: functions 0, 3 (Pan), 22, 23, 25, 31, 40;
// output node 3; filled settings; group 7; elements 1 (Pan and function 0, two patch records) and 2 (function 23,
// one record); fixtures 1 (kind 11, elements 1 and 2) and 2 (kind 9); palette 2; DALI fixtures 3 and 5; font 2,
// text slot 1 and text preset 5.
struct ShowTables
{
    ShowTable header, functions, outputNodes, settings, groups, identifier, elements, fixtures, palettes, dali,
        dynamicText;
    ShowTables();
    std::vector<const ShowTable*> all() const;
};

ShowTable elementRows(quint16 id, const std::vector<quint16>& functions, quint16 patchRecords);
ShowTable fixtureRows(quint16 id, const std::vector<quint16>& elementIds, quint16 kind, quint16 columns = 2,
                      quint16 gridRows = 1);
ShowTable daliFixtureRows(quint16 id, quint16 fixtureId);
// An item list: a u16 count, then the records.
ShowTable sectionOf(const std::vector<ShowTable>& records);

struct ShowContent
{
    ShowContent(quint16 version = 454) : version(version) {}

    quint16 version;
    quint32 magic = 0x8484;
    ShowTables tables;
    // Items in the triggers section, which the reader refuses.
    quint16 triggerCount = 0;
};
QByteArray buildShow(const ShowContent& content);

// What the readers of a show built from ShowTables() give at `version`.
namespace Expected {
quint16 renumbered(quint16 stored, quint16 version);
sortvector<Quil::Function> functions(quint16 version);
void outputNodes(quint16 version, Quil::OutputNodeShowComponent& nodes);
Quil::ShowSettings settings(quint16 version);
std::map<quint32, Quil::ShowGroup> groups(quint16 version);
Quil::FixtureElement* element(quint16 version, quint16 id, const std::vector<quint16>& functions, quint16 patchRecords,
                              quint16 derivedFlags, quint32 dimmerCurve);
Quil::Fixture* fixture(quint16 version, quint16 id, const std::vector<quint16>& elementIds, quint16 kind);
void fixtures(quint16 version, Quil::FixtureShowComponent& fixtures);
sortvector<Quil::Palette> palettes(quint16 version);
void dali(quint16 version, Quil::DALIShowComponent& dali);
Quil::DynamicTextTables dynamicText(quint16 version);
}  // namespace Expected

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
