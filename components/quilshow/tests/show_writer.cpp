#include "show_writer.h"

#include "components/quilshow/show/default_functions.h"
#include "components/quilshow/show/fixture_model.h"
#include "components/quilshow/show/show_base.h"

#include <QFile>

#include <set>

using namespace Quil;

ShowWriter& ShowWriter::text(const QString& value)
{
    if (version >= 10)
        return string(value.toUtf8());
    count(static_cast<quint32>(value.size()));
    for (QChar c : value)
        u16(c.unicode());
    return *this;
}

namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    throw std::invalid_argument(std::string("not a hex digit: ") + c);
}

}  // namespace

ShowWriter& ShowWriter::row(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ') {
            ++i;
        } else if (c == '#') {
            const std::size_t end = std::min(text.find_first_not_of("0123456789", i + 1), text.size());
            count(static_cast<quint32>(std::stoul(text.substr(i + 1, end - i - 1))));
            i = end;
        } else if (c == '\'' || c == '"') {
            const std::size_t end = text.find(c, i + 1);
            const std::string quoted = text.substr(i + 1, end - i - 1);
            c == '"' ? string(QByteArray::fromStdString(quoted)) : this->text(QString::fromStdString(quoted));
            i = end + 1;
        } else if (c == '<') {
            const std::size_t bar = text.find('|', i);
            u16(static_cast<quint16>(
                std::stoul(version < 17 ? text.substr(bar + 1, 4) : text.substr(i + 1, 4), nullptr, 16)));
            i = text.find('>', i) + 1;
        } else {
            // A run of hex bytes at once: large generated shows are mostly these.
            const std::size_t end = std::min(text.find_first_of(" #'\"<", i), text.size());
            if ((end - i) % 2 != 0)
                throw std::invalid_argument("odd hex run in: " + text.substr(i, end - i));
            QByteArray bytes;
            bytes.reserve(int((end - i) / 2));
            for (; i + 1 < end; i += 2)
                bytes.append(char(hexDigitValue(text[i]) << 4 | hexDigitValue(text[i + 1])));
            raw(bytes);
            i = end;
        }
    }
    return *this;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

std::string hex16(quint16 value) { return ShowWriter().u16(value).data.toHex().toStdString(); }
std::string hex32(quint32 value) { return ShowWriter().u32(value).data.toHex().toStdString(); }

std::string elementRecord(quint16 id, const std::vector<std::string>& patches)
{
    std::string text = "1a01" + hex16(id) + "\"El\" 0200";
    for (const quint16 function : {0, 3}) {
        text += "0801 0000" + hex16(function) + "0000 0100 ff00 0100" + (function == 3 ? "01" : "00")
            + "00 00 0100 0a01 0000 ff00 \"Full\" 0200 0000 0b01 0700 0901";
    }
    text += "0100 0000 01 0100 1201 01 0600 1301 6801 0000 dc00 0000 00 0a00 0a00 0400 #"
        + std::to_string(patches.size()) + " ";
    for (const std::string& patch : patches)
        text += patch;
    return text + "1b01";
}

std::string universePatch(quint16 kind, quint16 node, quint16 universe, quint16 channel, quint8 point)
{
    return hex16(kind) + "3401 0601" + ShowWriter().u8(point).data.toHex().toStdString() + hex16(node) + "0701"
        + hex16(universe) + hex16(channel) + "3501";
}

std::string kinetPatch(quint16 node, quint16 supply, quint16 port, quint16 channel)
{
    return "1000 3601 0601 ff" + hex16(node) + "0701" + hex16(supply) + hex16(port) + hex16(channel) + "3601";
}

QByteArray bytesAt(quint16 version, const ShowTable& table)
{
    ShowWriter w(version);
    for (const ShowRow& row : table) {
        if (version >= row.from && version < row.until)
            w.row(row.text);
    }
    return w.data;
}

std::vector<quint16> gateVersions(const std::vector<const ShowTable*>& tables)
{
    std::set<quint16> versions {kNewestShowVersion};
    const auto edge = [&](quint32 at) {
        if (at > 0 && at <= kNewestShowVersion)
            versions.insert({quint16(at - 1), quint16(at)});
    };
    for (const ShowTable* table : tables) {
        for (const ShowRow& row : *table) {
            edge(row.from);
            edge(row.until);
            for (const auto& [token, at] : {std::make_pair('#', 98), {'"', 98}, {'\'', 10}, {'\'', 98}, {'<', 17}}) {
                if (row.text.find(token) != std::string::npos && row.from < at && at < row.until)
                    edge(at);
            }
        }
    }
    return {versions.begin(), versions.end()};
}

ShowTable rowsOf(const std::string& text, quint16 from)
{
    ShowTable rows;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t open = std::min(text.find('[', i), text.size());
        if (text.find_first_not_of(' ', i) < open)
            rows.push_back({from, kAll, text.substr(i, open - i)});
        if (open == text.size())
            break;
        const std::size_t colon = text.find(':', open);
        const std::size_t dash = text.find('-', open);
        const std::size_t close = text.find(']', colon);
        const auto bound = [&](std::size_t begin, std::size_t end, quint16 open) {
            return begin == end ? open : quint16(std::stoi(text.substr(begin, end - begin)));
        };
        rows.push_back(
            {bound(open + 1, dash, from), bound(dash + 1, colon, kAll), text.substr(colon + 1, close - colon - 1)});
        i = close + 1;
    }
    return rows;
}

// ---------------------------------------------------------------- the tables

namespace {

struct StoredFunction
{
    quint16 id;
    const char* name;
    quint32 mask;
};
const StoredFunction kFunctions[] = {{0, "Intensity", 1}, {3, "Pan", 2},     {22, "F22", 0x80}, {23, "F23", 0x80},
                                     {25, "F25", 0x80},   {31, "F31", 0x80}, {40, "F40", 0x80}};

// Value 0: kind 1, function 0; value 1: kind 6 (two halves from 238), function 23.
std::string paletteValue(quint16 position, quint16 function, quint16 kind)
{
    const std::string general = "ab00 0500 0600 2c01", halves = "0500 1111 2222";
    return "<010E|0D0D> [-96: 0000 0000]" + hex16(position) + "[-96: 0000]" + hex16(function) + "3412 0100"
        + hex16(kind) + "0200" + (kind == 6 ? "[-238:" + general + "][238-:" + halves + "]" : general)
        + "0200 0300 0400 0120 [-26: 0000] c800 [-26: 0000] <010F|0E0E>";
}

void append(ShowTable& to, const ShowTable& rows) { to.insert(to.end(), rows.begin(), rows.end()); }

}  // namespace

ShowTable sectionOf(const std::vector<ShowTable>& records)
{
    ShowTable section = {{0, kAll, hex16(quint16(records.size()))}};
    for (const ShowTable& rows : records)
        append(section, rows);
    return section;
}

ShowTable daliFixtureRows(quint16 id, quint16 fixtureId)
{
    return rowsOf("2a01" + hex16(id) + hex16(fixtureId)
                      + "01 02 0a0b0c0d [401-: 0e0f] [416-: 10] [428-: 01]"
                        "[430-: 'Ballast'] 2b01",
                  47);
}

ShowTable elementRows(quint16 id, const std::vector<quint16>& functions, quint16 patchRecords)
{
    std::string text = "<011A|B0B0>" + hex16(id) + "\"El\"" + hex16(quint16(functions.size()));
    for (const quint16 function : functions) {
        text += "<0108|0707>" + hex16(function == 0xFFFF ? 4 : 0) + hex16(function) + "0000 0100 ff00 0100"
            + (function == 3 ? "01" : "00")
            + "00 00 0100 <010A|0909> 0000 ff00 \"Full\" 0200 0000 <010B|0A0A> [78-: 0700] <0109|0808>";
    }
    text += "0100 0000 01 0100 <0112|3030> 01 0600 <0113|4040> 6801 0000 dc00 0000 00 [49-302: 01] [-302: 01]"
            "0a00 0a00 [302-: 0400] [111-302: 01] [304-353: 2a00] #"
        + std::to_string(patchRecords);
    for (quint16 i = 0; i < patchRecords; ++i) {
        text += "[-150: <0106|0505> 01 0500 0300" + hex16(i + 1) + "<0107|0606>][150-:"
            + (i % 2 ? "1000 3601 0601 02 0500 0701 0400 0100" + hex16(i) + "3601"
                     : "0100 3401 0601 01 0500 0701 0300" + hex16(i) + "3501")
            + "]";
    }
    return rowsOf(text + "<011B|C0C0>");
}

ShowTable fixtureRows(quint16 id, const std::vector<quint16>& elementIds, quint16 kind, quint16 columns,
                      quint16 gridRows)
{
    std::string listed = hex16(quint16(elementIds.size()));
    for (const quint16 elementId : elementIds)
        listed += hex16(elementId);
    return rowsOf("<010C|0B0B>" + hex16(id) + "\"Model\"" + hex16(kind)
                  + "[-11: 58 01] [11-: 0800 4100] [11-162:] [200-209:] [314-: 0100 0200 03] [-290:" + hex16(columns)
                  + hex16(gridRows)
                  + "] [46-290: 0a00 0a00] [290-: #2 0000 0000 0a00 0000 0a00 0a00] 00000000 [33-: 03000000]"
                  + (kind == 9 ? "[417-: 01]" : "") + (kind == 11 ? "[202-: 0b000000]" : "")
                  + "[50-: 00] [63-: 00000200]" + hex16(id + 100) + "01" + listed
                  + "[20-: 0100 01000000 02000000] [27-154: #1 07000000] [154-: #1 07000000 02000000]"
                    "<0116|7070> 'Fixture' 64000000 c8000000 00 00 0500 [169-200: 01] [212-: 01]"
                    "[60-: 'Label' 'Three'] [-21: 000000000000000000000000000000000000000000000000] [18-: 010203]"
                    "<0117|8080> <010D|0C0C>");
}

ShowTables::ShowTables()
{
    header = rowsOf("[107-: 030201] [300-: cdab] [306-: 5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a] [124-: \"header\"]"
                    "[62-: 77]");
    // Ids move below 302 by the numbering of their version (23 lowers the
    // threshold from 99 to 301); default functions join below 303, 313 and 403.
    functions = rowsOf("0700 [-67:] [-99:] [99-127:] [127-302:] [-303:] [-313:] [-403:]");
    for (const StoredFunction& f : kFunctions)
        functions.push_back(
            {0, kAll, "<0102|0101>" + hex16(f.id) + "'" + f.name + "'" + hex32(f.mask) + "<0103|0202>"});
    outputNodes = rowsOf("0100 [150-: 3201] 0300 [427-: 01 #2 01000000 02000000]"
                         "[288-: #2 05000000 06000000 07000000 08000000] [305-: #1 04000000 09000000]"
                         "[154-: 0100 0000 02000000 0100000a] [171-200: 0c000000 'PSU' 'x'] [218-: 0c000000 'PSU' 'x']"
                         "[394-: 0100 0100 0500 02] [150-: 3301] [384-: 0100 03000000 04000000]"
                         "[394-: #1 0500 02 4d000000]");
    // Shows below 287 with a web interface text lose their data bytes.
    settings =
        rowsOf("<0114|5050> [-287:]"
               "[99-: 'Project' 'Client' 'Notes' 331e01 000700 ecff 010300000a00 07000000 #3 010203 \"a.png\" 00040000"
               " 00030000 0a141e] [99-168: ff] [168-200: 37000000] [200-212: ff] [212-: 37000000]"
               "[99-: 01 1000 01 010203 040506] [99-357: ee]"
               "[99-: 0200 070809 0a0b0c \"web\" #1 #1 05000000 06000000 07000000] [157-200: #2 09000000 0a000000]"
               "[208-: #2 09000000 0a000000]"
               "[-99: 'Project' 'Client'] [4-99: 331e6301 00076300] [15-24: 0000a4c1] [24-48: fbff] [48-99: ecff]"
               "[-99: \"a.png\" 00040000 00030000 0a141e ff 01 1000 01] [-46:] [59-99: 010203 040506]"
               "[-21: \"gone\" 0000000000000000] [-99: 'Notes'] [-21: 01000000 02000000 03000000 04000000] [-99: ee]"
               "[7-99: 07000000] [9-99: 0200 070809 0a0b0c] [69-99: \"web\" #3 010203]"
               "[78-99: #1 #1 05000000 06000000 07000000] [85-99: 010300000a00] <0115|6060>");
    groups = rowsOf("[-164: #1 07000000 #2 0100 0200] [158-164: 'Front'] [200-211: #1 07000000 #2 0100 0200]"
                    "[208-211: 'Front']");
    identifier = rowsOf("000102030405060708090a0b0c0d0e0f");
    elements = rowsOf("0200");
    append(elements, elementRows(1, {3, 0}, 2));
    append(elements, elementRows(2, {23}, 1));
    // Fixtures below 235 give their elements the model's dimmer curve.
    fixtures = rowsOf("0200 [-235:]");
    append(fixtures, fixtureRows(1, {1, 2}, 11));
    append(fixtures, fixtureRows(2, {}, 9));
    palettes = rowsOf("0100 <011E|F0F0> 0200 'Palette' 0300 04000000 <0110|0F0F> #2" + paletteValue(0, 0, 1)
                      + paletteValue(1, 23, 6)
                      + "b520 [-26: 0000] 0200 0100 #1 #1 05000000 #2 01000000 02000000 <0111|1010>"
                        "[36-: 0700 0800] <011F|1111>");
    dali = rowsOf("0000 0200", 47);
    append(dali, daliFixtureRows(3, 10));
    append(dali, daliFixtureRows(5, 11));
    append(dali, rowsOf("[116-: 0000] [417-: 0100 031122 02ff0f 01 0304 003344 2c01]", 47));
    // Font presets counted below 242, format texts cut below 389.
    dynamicText = rowsOf(
        "0100 3c01 0200 'Arial' 'Bold' 18000000 01 00 [241-: 00] 07000000 3d01 [-242:]"
        "[222-: 0100 4401 0100 'time' '12:00' 4501]"
        "0100 4201 0500 02000000 0100 64000000 0200 c8000000 #1 'Hello' #2 03000000 04000000 02000000 0000 09 0200"
        "[231-: 0100] 00 08 [393-: d2040000] [-240: ee] [223-: 0300] [224-: 0600] [245-280: 0200 4d00]"
        "[282-: 0200 4d00] 2800 [226-: 3200] 4301 [221-: #1 02000000 #1 05000000] [222-: #1 09000000 #1 05000000]"
        "[362-: \"ab%Xcd%Xef\" \"%x\"] [362-389:]",
        219);
}

std::vector<const ShowTable*> ShowTables::all() const
{
    return {&header,   &functions, &outputNodes, &settings, &groups,     &identifier,
            &elements, &fixtures,  &palettes,    &dali,     &dynamicText};
}

QByteArray buildShow(const ShowContent& content)
{
    QByteArray bytes = ShowWriter(content.version).header(content.magic).data;
    for (const ShowTable* table : content.tables.all())
        bytes += bytesAt(content.version, *table);
    // The sections after dynamic text, empty but for the triggers.
    ShowWriter rest(content.version);
    for (int section = 0; section < 14; ++section)
        rest.u16(section == 2 ? content.triggerCount : 0);
    return bytes + rest.data;
}

QByteArray buildBundle(const std::vector<std::pair<QByteArray, QByteArray>>& files, const QByteArray& countText)
{
    const QByteArray start = QByteArray::fromHex("102030405060708090a0b0c0d0e0f000");
    const QByteArray end = QByteArray::fromHex("112233445566778899aabbccddeeff00");
    ShowWriter w;
    w.u32(0x0190BC62).u32(1);
    w.raw(countText.isEmpty() ? QByteArray::number(static_cast<int>(files.size())) : countText);
    for (const auto& file : files) {
        w.raw(start).u16(static_cast<quint16>(file.first.size())).raw(file.first);
        w.u32(static_cast<quint32>(file.second.size())).raw(file.second).raw(end);
    }
    return w.data;
}

// ---------------------------------------------------------------- expected values

namespace Expected {

// Named apart from the project's classes of the same names, which a batch
// compiled with this file may see.
using Quil::Fixture;
using Quil::FixtureElement;
using Quil::FontData;
using Quil::PatchRecord;

// 23 lowers the threshold to 23 from 99 to 301.
quint16 renumbered(quint16 id, quint16 v)
{
    if (v < 67)
        return id >= 22 ? id + 10 : id;
    if (v < 127)
        return id >= 23 ? id + 9 : id;
    return v >= 302 ? id : id >= 23 && id <= 31 ? id + 9 : id >= 31 ? id + 4 : id;
}

sortvector<Quil::Function> functions(quint16 v)
{
    sortvector<Quil::Function> table(32, 256);
    const auto add = [&](Quil::Function* function) {
        if (table.insert(function, function->id()) < 0)
            delete function;
    };
    for (const StoredFunction& f : kFunctions)
        add(new Quil::Function(renumbered(f.id, v), f.name, f.mask));
    for (int row = 23; v < 303 && row <= 29; ++row)
        add(makeDefaultFunction(row));
    if (v < 313)
        add(makeDefaultFunction(1));
    if (v < 403) {
        add(makeDefaultFunction(22));
        table.find(22)->name = "Old White";
        add(makeDefaultFunction(30));
    }
    return table;
}

void outputNodes(quint16 v, OutputNodeShowComponent& nodes)
{
    auto* node = new OutputNode;
    node->nodeFlag = v >= 427;
    node->nodeNumbers = v >= 427 ? std::set<quint32> {1, 2} : std::set<quint32>();
    if (v >= 288)
        node->outputSettings = {{5, 6}, {7, 8}};
    if (v >= 305)
        node->values = {{4, 9}};
    if (v >= 154) {
        auto* supply = new KiNETPowerSupply(2);
        const bool numbered = (v >= 171 && v < 200) || v >= 218;
        supply->ipAddress = 0x0A000001, supply->number = numbered ? 12 : 1;
        supply->text1 = numbered ? "PSU" : "", supply->text2 = numbered ? "x" : "";
        node->powerSupplies.insert(supply, 0);
    }
    if (v >= 394) {
        auto* key = new DSXDMXUniverseKey;
        key->key = {5, 2};
        node->universeKeys.insert(key, 1);
        nodes.remoteDevices[{5, 2}] = 77;
    }
    nodes.nodes.insert(node, 3);
    if (v >= 384)
        nodes.links.insert(3, 4);
}

ShowSettings settings(quint16 v)
{
    ShowSettings s;
    s.text1 = "Project", s.text2 = "Client", s.text3 = "Notes",
    s.backgroundImagePath = s.storedBackgroundImagePath = "a.png";
    s.planWidth = 1024, s.planHeight = 768, s.backgroundColour = {10, 20, 30};
    s.gridVisible = s.settingsFlag = true, s.gridSpacing = 16;
    s.settingsValue = v < 46 ? 20 : (v >= 168 && v < 200) || v >= 212 ? 55 : -1;
    if (v >= 4)
        s.latitude = {{51, 30, 0, 1}}, s.longitude = {{0, 7, 0, 0}};
    s.timeZoneOffset = v >= 15 ? -20 : 0;
    if (v >= 59)
        s.colour2 = {1, 2, 3}, s.colour3 = {4, 5, 6};
    s.controllerId = v >= 7 ? 7 : 0xFFFFFFFF;
    if (v >= 9)
        s.colourList = {{7, 8, 9}, {10, 11, 12}};
    s.webInterfaceText = v >= 69 ? "web" : "";
    if (v >= 287)
        s.dataBytes = {1, 2, 3};
    if (v >= 78)
        s.idMaps = {{{5, {6, 7}}}};
    if (v >= 85)
        s.daylightSaving = {{1, 3, 0, 0, 10, 0}};
    if ((v >= 157 && v < 200) || v >= 208)
        s.idList = {9, 10};
    return s;
}

std::map<quint32, ShowGroup> groups(quint16 v)
{
    if ((v >= 164 && v < 200) || v >= 211)
        return {};
    return {{7, {{1, 2}, (v >= 158 && v < 164) || v >= 208 ? "Front" : ""}}};
}

FixtureElement* element(quint16 v, quint16 id, const std::vector<quint16>& functions, quint16 patchRecords,
                        quint16 derivedFlags, quint32 dimmerCurve)
{
    auto* e = new FixtureElement;
    e->setId(id);
    e->name = "El";
    for (const quint16 function : functions) {
        Quil::Parameter p;
        p.type = function == 0xFFFF ? 4 : 0;
        p.function = function == 0xFFFF ? function : renumbered(function, v);
        p.patchOffset = 0, p.paramWord1 = 1, p.paramWord2 = 255, p.paramWord3 = v >= 78 ? 7 : 0;
        p.fixtureParameterFlag = function == 3;
        p.ranges = {{.name = "Full", .low = 0, .high = 255, .rangeWord1 = 2, .rangeWord2 = 0}};
        e->parameters.insert(p.function == 0 ? e->parameters.begin() : e->parameters.end(), p);
    }
    e->patchOffsets = {{0, 1}};
    e->patchPoints = {{1, 6}};
    e->flags = v >= 302 ? 0x04 : 0x10 | (v >= 49 ? 0x04 : 0) | (v >= 111 ? 0x08 : 0) | derivedFlags;
    for (quint16 i = 0; i < patchRecords; ++i) {
        PatchRecord record(v >= 150 && i % 2 ? PatchRecord::kKiNET : PatchRecord::kDmx);
        if (PatchRecord::KiNETFields* kinet = record.kinet())
            kinet->powerSupplyId = 4, kinet->port = 1, kinet->channel = i;
        else
            record.universeBased()->universe = 3, record.universeBased()->channel = i;
        record.outputNodeId = 5, record.patchPointType = record.kind() == 0x010 ? 2 : 1;
        e->patchRecords.push_back(record);
    }
    e->dimmerCurve = dimmerCurve;
    return e;
}

Fixture* fixture(quint16 v, quint16 id, const std::vector<quint16>& elementIds, quint16 kind)
{
    auto* f = new Fixture;
    f->setId(id);
    ModelSpec& m = f->modelSpec;
    m.name = "Model", m.kind = kind, m.manufacturerId = v < 11 ? 2 : 8;
    m.modelId = v < 11 ? 64 : v <= 161 || (v >= 200 && v <= 208) ? 0 : 65;
    if (v >= 314)
        m.specWord1 = 1, m.specWord2 = 2, m.specByte1 = 3;
    const quint16 dimension = v >= 46 ? 10 : 1024;
    m.points = {{0, 0}, {dimension, 0}};
    m.xElDimension = m.yElDimension = dimension;
    m.dimmerCurve = v >= 33 ? 3 : 0;
    m.specFlag = kind == 9 && v >= 417;
    m.specValue1 = kind == 11 && v >= 202 ? 11 : 0;
    m.specFlagByte = v >= 50 ? 0 : 1;
    m.factor = v >= 63 ? 0x20000 : 0x10000;
    f->number = id + 100, f->fixtureFlag = true, f->elementIds = elementIds;
    if (v >= 20)
        f->extraPairs = {{1, 2}};
    if (v >= 27)
        f->patchList = {{v >= 154 ? 2u : 1u, 7u}};
    PlanSettings& plan = f->planSettings;
    plan.name = "Fixture", plan.planX = 100, plan.planY = 200, plan.planWord = 5;
    plan.planFlag3 = (v >= 169 && v < 200) || v >= 212;
    plan.label = v >= 60 ? "Label" : "", plan.text3 = v >= 60 ? "Three" : "";
    if (v >= 18)
        plan.red = 1, plan.green = 2, plan.blue = 3;
    return f;
}

void fixtures(quint16 v, FixtureShowComponent& fixtures)
{
    // Pan is a categorised function: below 302 element 1 derives flag 0x02.
    const quint32 dimmerCurve = v < 235 && v >= 33 ? 3 : 0;
    fixtures.elements.insert(element(v, 1, {3, 0}, 2, 0x02, dimmerCurve), 1);
    fixtures.elements.insert(element(v, 2, {23}, 1, 0, dimmerCurve), 2);
    fixtures.fixtures.insert(fixture(v, 1, {1, 2}, 11), 1);
    fixtures.fixtures.insert(fixture(v, 2, {}, 9), 2);
}

sortvector<Palette> palettes(quint16 v)
{
    auto* palette = new Palette;
    palette->name = "Palette", palette->paletteWord = 3, palette->paletteValue = 4;
    palette->word1 = v >= 36 ? 7 : 1, palette->word2 = v >= 36 ? 8 : 1;
    PaletteColourRecord& record = palette->colourRecord;
    record.values.resize(2);
    for (quint16 i = 0; i < 2; ++i) {
        PaletteValue& value = record.values[i];
        value.value2 = i, value.function = quint8(renumbered(i ? 23 : 0, v));
        value.wordA = 0x40001234 | (i ? 0x60000 : 0x10000), value.wordB = 0x60054081;
        value.wordC = i && v >= 238 ? 0x22221111 : 0x12C006AB;
        value.timeA = 0x2001, value.timeB = 200;
    }
    record.time = 0x20B5, record.skewType = 2, record.skewDirection = 1, record.skewGroups = {{{5, {1, 2}}}};
    sortvector<Palette> table(1024, 0xFFFF);
    table.insert(palette, 2);
    return table;
}

void dali(quint16 v, DALIShowComponent& dali)
{
    for (const auto& [id, fixtureId] : {std::make_pair(3, 10), std::make_pair(5, 11)}) {
        if (v < 47)
            return;
        auto* fixture = new DALIFixture;
        fixture->fixtureId = quint16(fixtureId), fixture->interfaceId = 1, fixture->shortAddress = 2;
        fixture->ballastSettings = {
            {10, 11, 12, 13, quint8(v >= 401 ? 14 : 0), quint8(v >= 401 ? 15 : 7), quint8(v >= 416 ? 16 : 0)}};
        fixture->flag = v >= 428, fixture->text = v >= 430 ? "Ballast" : "";
        dali.fixtures.insert(fixture, quint16(id));
        dali.links.insert(quint16(id), quint16(fixtureId));
    }
    if (v >= 417) {
        dali.testFlags[0] = true;
        dali.testSchedules[0] = {3, 0x11, 0x22, 2, 0, 1, 3, 4, 0, 0x0FFF, 0};
        dali.testSchedules[1] = {0, 0x33, 0x44, 300, 0, 0, 1, 0, 0, 0, 0};
    }
}

DynamicTextTables dynamicText(quint16 v)
{
    DynamicTextShowComponent text;
    if (v < 219)
        return text;
    auto* font = new FontData;
    font->name = "Arial", font->secondName = "Bold", font->size = 24, font->styleFlag0 = true;
    font->styleFlag2 = v < 241, font->presetCount = v >= 242 ? 7 : 1;
    text.fonts.insert(font, 2);
    if (v >= 222) {
        auto* slot = new TextSlot;
        slot->name = "time", slot->text = "12:00";
        text.textSlots.insert(slot, 1);
        text.textSources["time"] = 1;
        text.secondPresetsByFont = {{9, {5}}};
    }
    auto* preset = new DynamicTextPreset;
    preset->parts = {{1, 100}, {2, 200}}, preset->strings = {"Hello"}, preset->numbers = {3, 4};
    preset->fontId = 2, preset->byteA = 9, preset->alignment = 2, preset->byteB = 8, preset->valueA = 40;
    preset->orientation = v >= 231 ? 1 : 0, preset->direction = v < 393 && v >= 231 ? 1 : 0;
    preset->changeBehaviour = v >= 223 ? 3 : 0, preset->numberC = v >= 224 ? 6 : 4;
    const bool sourced = (v >= 245 && v < 280) || v >= 282;
    preset->sourceKind = sourced ? 2 : 0, preset->sourceValue = sourced ? 77 : 0;
    preset->valueB = v >= 226 ? 50 : 0;
    // Below 393 the offset comes from the font's metrics, all zero here.
    preset->offset = v >= 393 ? 1234 : v >= 231 ? 40 : preset->valueB;
    text.textPresets.insert(preset, 5);
    text.presetsByFont = {{2, {5}}};
    text.upperCaseFormat = v < 362 ? "%X" : v >= 389 ? "ab%Xcd%Xef" : "%Xef";
    return text;
}

}  // namespace Expected
