#include "bench/large_show.h"

#include "components/quilshow/tests/show_writer.h"

#include <QDir>

#include <algorithm>
#include <string>
#include <vector>

const char kLargeShowSupplyRow[] = "12, PDS-150e, 3, 2, 1\n";

namespace {

const int kChannels = 6;
const int kElementsPerUniverse = 512 / kChannels;
const int kUniversesPerNode = 16;
const int kElementsPerNode = kElementsPerUniverse * kUniversesPerNode;
// Two ports of one universe each.
const int kElementsPerSupply = 2 * kElementsPerUniverse;
const int kSuppliesPerNode = kElementsPerNode / kElementsPerSupply;

std::string fixtureRecord(quint16 id, quint16 model, quint16 kind, const std::vector<quint16>& elementIds)
{
    std::string text = "0c01" + hex16(id) + "\"Model\"" + hex16(kind) + "1f00" + hex16(model)
        + "0100 0200 03 #2 0000 0000 0a00 0000 0500 0600 00000000 03000000" + (kind == 9 ? "01" : "") + "02 00000200"
        + hex16(quint16(id + 100)) + "01" + hex16(quint16(elementIds.size()));
    for (const quint16 elementId : elementIds)
        text += hex16(elementId);
    return text + "0000 #0 1601 'Fixture " + std::to_string(id) + "' 64000000 c8000000 00 00 0500 01 'Label' '' 102030"
        + " 1701 0d01";
}

// An output node with its KiNET supplies, at addresses of its own.
std::string nodeRecord(quint16 node)
{
    std::string text = "3201" + hex16(node) + "00 #0 #0 #0 " + hex16(quint16(kSuppliesPerNode));
    for (int supply = 0; supply < kSuppliesPerNode; ++supply) {
        text += hex16(quint16(supply)) + hex32(12) + hex32(0x0A000000u + quint32(node) * 256 + quint32(supply))
            + hex32(quint32(node) * kSuppliesPerNode + quint32(supply) + 1) + "'Supply' 'Rack'";
    }
    return text + "0000 3301";
}

std::string paletteRecord(quint16 id, const std::vector<quint16>& elementIds)
{
    std::string text = "1e01" + hex16(id) + "'Palette' 0700 04000000 1001 #" + std::to_string(elementIds.size()) + " ";
    for (const quint16 element : elementIds)
        text += "0e01" + hex16(element) + "0000 3412 0100 0100 0000 ab00 0500 0600 2c01 0200 0300 0400 0120 c800 0f01";
    return text + "b520 0500 0000 #1 #2 00000000 #1 01000000 63000000 #1 02000000 1101 0a00 0b00 1f01";
}

std::string dynamicTextRecords()
{
    std::string text = "0200";
    for (const quint16 font : {2, 4}) {
        text += "3c01" + hex16(font) + "'Font" + std::to_string(font) + "' 'DejaVu Sans'" + hex32(12 + font)
            + "01 00 00 00000000 3d01";
    }
    text += hex16(10);
    for (quint16 slot = 1; slot <= 10; ++slot)
        text += "4401" + hex16(slot) + "'slot" + std::to_string(slot) + "' 'text' 4501";
    return text
        + "0100 4201 0500 02000000 0100 64000000 0200 c8000000 #1 'Hello' #2 03000000 04000000 02000000 0000 09 0200"
          "0100 00 08 d2040000 0300 0600 0200 4d00 2800 3200 4301 #1 02000000 #1 05000000 #0 \"%H:%M\" \"%d/%m\"";
}

// A section of records given as row text.
ShowTable sectionOfText(const std::vector<std::string>& records)
{
    std::string text = hex16(quint16(records.size()));
    for (const std::string& record : records)
        text += record;
    return rowsOf(text);
}

QByteArray definitionFile(const char* name, int model, const char* kind, int elements)
{
    static const char* const functions[] = {"Intensity", "Cyan", "Magenta", "Yellow", "Pan", "Tilt"};
    QByteArray text = "version = 1\ncount = 1\nfixture = " + QByteArray(name) + "\nmanuid = 31\nmodelid = "
        + QByteArray::number(model) + "\nmodeid = 0\nclass = " + kind + "\ndimensions = 4, 4\n";
    // One place per element, in a row.
    for (int element = 0; element < elements; ++element)
        text += "geometry = " + QByteArray::number(element) + ", 0\n";
    for (int element = 0; element < elements; ++element) {
        text += "element = E" + QByteArray::number(element) + "\npatchgroup = fixture, " + QByteArray::number(kChannels)
            + "\n";
        for (int channel = 0; channel < kChannels; ++channel)
            text += "parameter = " + QByteArray(functions[channel]) + ", " + QByteArray::number(channel)
                + "\nrange = 0, 255\n";
    }
    return text;
}

}  // namespace

QByteArray largeShow(const LargeShow& shape)
{
    ShowContent content;
    ShowTables& tables = content.tables;
    // One DALI ballast per hundred fixtures, the others lit over DMX and KiNET.
    const int ballasts = std::max(1, shape.fixtures / 100);
    const int lit = shape.fixtures - ballasts;
    const int litElements = lit * shape.elementsPerFixture;
    const int nodes = (litElements + kElementsPerNode - 1) / kElementsPerNode;

    std::string nodeText = hex16(quint16(nodes));
    for (int node = 1; node <= nodes; ++node)
        nodeText += nodeRecord(quint16(node));
    tables.outputNodes = rowsOf(nodeText + "0000 #0");

    std::vector<std::string> elements, fixtures, daliFixtures;
    elements.reserve(std::size_t(litElements + ballasts));
    quint16 elementId = 1;
    for (int f = 0; f < shape.fixtures; ++f) {
        const quint16 fixtureId = quint16(f + 1);
        std::vector<quint16> ids;
        if (f >= lit) {
            ids.push_back(elementId);
            elements.push_back(elementRecord(elementId++, {}));
            fixtures.push_back(fixtureRecord(fixtureId, 3, 9, ids));
            daliFixtures.push_back("2a01" + hex16(quint16(daliFixtures.size() + 1)) + hex16(fixtureId)
                                   + "ff 02 0a0b0c0d0e0f10 01 'Ballast' 2b01");
            continue;
        }
        for (int e = 0; e < shape.elementsPerFixture; ++e) {
            const int index = f * shape.elementsPerFixture + e;
            const int inNode = index % kElementsPerNode;
            const quint16 node = quint16(index / kElementsPerNode + 1);
            const quint16 channel = quint16((index % kElementsPerUniverse) * kChannels + 1);
            const quint16 universe = quint16(inNode / kElementsPerUniverse + 1);
            const quint16 supply = quint16(inNode / kElementsPerSupply);
            const quint16 port = quint16((inNode % kElementsPerSupply) / kElementsPerUniverse + 1);
            ids.push_back(elementId);
            std::vector<std::string> patches {universePatch(1, node, universe, channel),
                                              kinetPatch(node, supply, port, channel)};
            // A third record that nothing can follow: Net2, sACN universe 0, a node the show lacks. The
            // records that arrive are the clean show's, so that both make the same project.
            if (shape.withDrops) {
                const std::string dropped[] = {universePatch(0x008, node, universe, channel),
                                               universePatch(0x020, node, 0, channel),
                                               universePatch(1, 999, 1, channel)};
                patches.push_back(dropped[index % 3]);
            }
            elements.push_back(elementRecord(elementId++, patches));
        }
        fixtures.push_back(fixtureRecord(fixtureId, shape.elementsPerFixture == 1 ? 1 : 4, 0, ids));
    }
    tables.functions = ShowTables().functions;
    tables.elements = sectionOfText(elements);
    tables.fixtures = sectionOfText(fixtures);

    // Scene ids end at 499.
    const int palettes = std::min(500, shape.fixtures / 10);
    std::vector<std::string> paletteRecords;
    for (int p = 0; p < palettes; ++p) {
        std::vector<quint16> values;
        for (int v = 0; v < 8; ++v)
            values.push_back(quint16(1 + (p * 8 + v) % std::max(1, litElements)));
        paletteRecords.push_back(paletteRecord(quint16(p), values));
    }
    // Past the scene ids, as many again.
    for (int p = 0; shape.withDrops && p < palettes; ++p)
        paletteRecords.push_back(paletteRecord(quint16(500 + p), {}));
    tables.palettes = sectionOfText(paletteRecords);

    for (int b = 0; shape.withDrops && b < ballasts; ++b) {
        daliFixtures.push_back("2a01" + hex16(quint16(daliFixtures.size() + 1))
                               + "ffff ff 02 0a0b0c0d0e0f10 01 'Loose' 2b01");
    }
    std::string dali = "0000 " + hex16(quint16(daliFixtures.size()));
    for (const std::string& record : daliFixtures)
        dali += record;
    tables.dali = rowsOf(dali + "0000 00 00 02000001000100 02000001000100");
    tables.dynamicText = rowsOf(dynamicTextRecords());
    return buildShow(content);
}

QByteArray groupShow(int fixtures)
{
    ShowContent content(210);
    ShowTables& tables = content.tables;
    std::vector<ShowTable> elementTables, fixtureTables;
    for (int f = 0; f < fixtures; ++f) {
        const quint16 id = quint16(f + 1);
        elementTables.push_back(elementRows(id, {0, 3}, 0));
        fixtureTables.push_back(fixtureRows(id, {id}, 0));
    }
    tables.elements = sectionOf(elementTables);
    tables.fixtures = sectionOf(fixtureTables);
    // A group per ten fixtures, of those ten.
    const int groups = std::max(1, fixtures / 10);
    std::string text = "#" + std::to_string(groups) + " ";
    for (int g = 0; g < groups; ++g) {
        text += hex32(quint32(g + 1)) + "#10 ";
        for (int m = 0; m < 10; ++m)
            text += hex16(quint16(g * 10 + m + 1));
        text += "'Group'";
    }
    tables.groups = rowsOf(text);
    tables.palettes = rowsOf("0000");
    return buildShow(content);
}

bool writeLargeShowLibrary(const QString& folder)
{
    if (!QDir(folder).mkpath(QStringLiteral("maker")))
        return false;
    return writeFile(folder + QStringLiteral("/maker/one.fixture"), definitionFile("One", 1, "spot", 1))
        && writeFile(folder + QStringLiteral("/maker/four.fixture"), definitionFile("Four", 4, "spot", 4))
        && writeFile(folder + QStringLiteral("/maker/ballast.fixture"), definitionFile("Ballast", 3, "dali", 1));
}
