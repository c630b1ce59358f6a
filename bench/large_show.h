// Large version-1 shows for the benchmarks, written through the tests' show
// writer: fixtures of a one- or four-element model (six channels each)
// patched over DMX and KiNET on output nodes with power supplies, palettes,
// DALI fixtures and dynamic text, everything a version-454 show holds that
// the reader reads; with drops, also items that a conversion leaves out. Groups are read only from older shows:
// groupShow gives one of version 210 with groups and plain fixtures.
#ifndef BENCH_LARGE_SHOW_H
#define BENCH_LARGE_SHOW_H

#include <QByteArray>
#include <QString>

struct LargeShow
{
    int fixtures = 1000;
    int elementsPerFixture = 1;
    // Items of every cause a conversion leaves out, beside everything of the
    // clean show: a third patch record per element on an output or universe
    // that cannot be carried over (Net2, sACN universe 0, a node the show
    // lacks), as many palettes again past the scene ids, and a ballast per
    // hundred fixtures that drives none.
    bool withDrops = false;
};

// The show's bytes. Element ids end at 65,534: fixtures times elements must
// stay below that.
QByteArray largeShow(const LargeShow& shape);
QByteArray groupShow(int fixtures);

// The fixture library's definition files of the models the shows use,
// written into folder (manufacturer 31: model 1 of one element, 4 of four,
// 3 a DALI ballast), and the KiNET power-supply list row of their supplies.
bool writeLargeShowLibrary(const QString& folder);
extern const char kLargeShowSupplyRow[];

#endif  // BENCH_LARGE_SHOW_H
