#ifndef COMPONENTS_FIXTURE_LIBRARY_TESTS_FIXTURE_FILE_SAMPLE_H
#define COMPONENTS_FIXTURE_LIBRARY_TESTS_FIXTURE_FILE_SAMPLE_H

#include <QString>

// A library file of two blocks: one with every mapped keyword (and unmapped
// ones, comments and blank lines), then a plain spot. `hueDigits` is the
// 4096 hex digits of the first block's hue table. The parser's tests and the
// fuzzers' seed corpus read the same text.
inline QString sampleFixtureFile(const QString& hueDigits)
{
    return QStringLiteral(R"(// A library file
version = 1
count = 2

fixture = Wash Bar
manuid = 12
modelid = 345
modeid = 2
estaid = 4660
rdmkey = 4660, 17, 1
rdmkey = 4660, 18, 0
uuid = {6f1d3c52-2b9e-4c55-9d34-0b1f1c2d3e4f}
class = led
shape = square
dimensions = 40, 2000
dimmercurve = squarelaw
personality = 3
generator = 2.17
geometry = 0, 0
geometry = 1.5, -2
patchmap = fixture, 1
patchmap = 7, 0
huetable = 3, %1
element = Cell A
hidden = 0
invert_intensity = 1
hueparams = 1
white_mode = additive
patchgroup = intensity, 2
patchgroup = 5, 3
constant = 4, 200
duplicate = 0, 1
parameter = Intensity, 0
type = ltp16bit
default = 0
highlight = 65535
crossfade = snap
range = 0, 65535, Dim +, %
parameter = Pan, 2
type = ltp8bit
deflection = 540
offset = 90
range = 0, 255, snap, CENTRE, scan, WRAP
element = Cell B
output = 1
parameter = Tilt, 0
type = htp8bit
deflection = 270
offset = 10
range = 0, 255, Tilt
parameter = Strobe, -
range = 0, 10, Off
patchgroup = fixture, 1
fixture = Spot
manuid = 12
modelid = 346
class = spot
dimensions = 4, 4
geometry = 0, 0
element = Head
patchgroup = fixture, 1
parameter = Intensity, 0
range = 0, 255)")
        .arg(hueDigits);
}

#endif
