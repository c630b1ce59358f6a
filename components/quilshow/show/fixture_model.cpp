#include "components/quilshow/show/fixture_model.h"

#include "components/quilshow/show/function.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/report_error.h"

#include <QtGlobal>

#include <algorithm>
#include <stdexcept>

namespace Quil {

namespace {

// Smallest stored sizes, for checking counts against the bytes left.
const quint64 kMinimumParameterSize = 21;
const quint64 kMinimumRangeSize = 14;
const quint64 kPatchOffsetSize = 3;
const quint64 kPatchPointSize = 7;

quint16 clampDimension(quint16 value) { return qBound<quint16>(4, value, 1024); }

// An id that would not fit the 16-bit field names no function, rather than
// wrapping onto a real one.
quint16 currentFunctionId(quint16 stored, quint16 version)
{
    const quint32 id = renumberFunction(stored, version);
    return static_cast<quint16>(id > 0xFFFF ? kNoFunctionId : id);
}

// Functions whose parameters, when patched, set flag bit 0x01.
bool isOffsetFunction(quint16 function)
{
    switch (function) {
    case 5:
    case 6:
    case 7:
    case 21:
    case 22:
    case 30:
        return true;
    default:
        return false;
    }
}

quint16 oldManufacturerId(quint8 stored)
{
    switch (stored) {
    case 25:
        return 44;
    case 36:
        return 67;
    case 77:
        return 46;
    case 88:
        return 2;
    case 92:
        return 54;
    case 94:
        return 55;
    case 255:
        return 0xFFFF;
    default:
        return stored;
    }
}

}  // namespace

void throwGridTooLarge() { throw std::runtime_error("Error reading/writing from file"); }

std::map<quint32, quint16>& elementValueMap()
{
    static std::map<quint32, quint16> values;
    return values;
}

void ParamRange::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x010A, 0x0909));
    in.readU16(low).readU16(high).readString(name).readU16(rangeWord1).readU16(rangeWord2);
    in.expectMarker(in.marker(0x010B, 0x0A0A));
}

void Parameter::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(in.marker(0x0108, 0x0707));
    quint16 storedType = 0;
    quint16 storedValue = 0;
    in.readU16(storedType).readU16(function).readU16(patchOffset);
    in.readU16(paramWord1).readU16(paramWord2).readU16(storedValue).readBool(fixtureParameterFlag);
    type = storedType;
    paramValue = storedValue;
    function = currentFunctionId(function, v);
    in.readBool(noPatchOffset).readBool(paramFlag);
    quint16 count = 0;
    in.readU16(count);
    in.checkAvailable(count, kMinimumRangeSize + in.countSize());
    ranges.resize(ranges.size() + count);
    for (auto it = ranges.end() - count; it != ranges.end(); ++it)
        it->stream(in);
    paramWord3 = 0;
    if (v >= 78)
        in.readU16(paramWord3);
    in.expectMarker(in.marker(0x0109, 0x0808));
}

void Parameter::validate() const
{
    if (type >= 5)
        throw std::runtime_error("Invalid parameter type");
    if (function == kNoFunctionId && type != 4)
        throw std::runtime_error("Invalid parameter function");
    if (patchOffset == 0xFFFF && !noPatchOffset)
        throw std::runtime_error("Invalid patch offset");
    if (ranges.empty() && type != 4)
        throw std::runtime_error("No paramranges specified");
}

void PatchPoint::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x0112, 0x3030));
    in.readU8(group).readU16(channelCount);
    in.expectMarker(in.marker(0x0113, 0x4040));
}

void ModelSpec::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    quint16 storedKind = 0;
    in.readString(name).readU16(storedKind);
    if (v < 11) {
        quint8 manufacturer = 0;
        quint8 model = 0;
        in.readU8(manufacturer).readU8(model);
        manufacturerId = oldManufacturerId(manufacturer);
        modelId = model == 255 ? 0xFFFF : static_cast<quint16>(model * 64);
    } else {
        in.readU16(manufacturerId).readU16(modelId);
        if ((v <= 161 || (v >= 200 && v <= 208)) && manufacturerId == 8 && modelId == 65)
            modelId = 0;
    }
    if (v >= 314)
        in.readU16(specWord1).readU16(specWord2).readU8(specByte1);
    kind = storedKind;

    if (v < kStoredPointsVersion) {
        quint16 columns = 0;
        quint16 rows = 0;
        in.readU16(columns).readU16(rows);
        if (v >= 46)
            in.readU16(xElDimension).readU16(yElDimension);
        xElDimension = clampDimension(xElDimension);
        yElDimension = clampDimension(yElDimension);
        if (quint64(columns) * rows > kMaximumGridPoints)
            throwGridTooLarge();
        points.clear();
        points.reserve(quint32(columns) * rows);
        for (quint16 j = 0; j < rows; ++j) {
            for (quint16 i = 0; i < columns; ++i)
                points.emplace_back(quint16(i * xElDimension), quint16(j * yElDimension));
        }
    } else {
        std::vector<std::pair<quint16, quint16>> stored;
        in.readU16PairVector(stored).readU16(xElDimension).readU16(yElDimension);
        points = stored;
        xElDimension = clampDimension(xElDimension);
        yElDimension = clampDimension(yElDimension);
    }

    in.readU32(specValue2);
    specValue3 = 0;
    if (v >= 33)
        in.readU32(dimmerCurve);
    if (kind == 9 && v >= 417)
        in.readBool(specFlag);
    if (kind == 11 && v >= 202)
        in.readU32(specValue1);
    if (v >= 50) {
        quint8 byte = 0;
        in.readU8(byte);
        specFlagByte = byte;
    } else {
        specFlagByte = kind == 5 ? 0 : 1;
    }
    if (v >= 63)
        in.readU32(factor);
    else
        factor = 0x10000;
}

std::pair<quint32, quint32> ModelSpec::extent() const
{
    quint32 x = 0;
    quint32 y = 0;
    for (const auto& point : points) {
        x = std::max<quint32>(x, point.first);
        y = std::max<quint32>(y, point.second);
    }
    return {x + xElDimension, y + yElDimension};
}

void FixtureModelElement::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    readId(in);
    in.readString(name);

    quint16 count = 0;
    in.readU16(count);
    in.checkAvailable(count, kMinimumParameterSize);
    parameters.reserve(parameters.size() + count);
    for (quint16 i = 0; i < count; ++i) {
        Parameter parameter;
        parameter.stream(in);
        // The parameter without a function leads.
        if (parameter.function == 0)
            parameters.insert(parameters.begin(), std::move(parameter));
        else
            parameters.push_back(std::move(parameter));
    }

    in.readU16(count);
    in.checkAvailable(count, kPatchOffsetSize);
    for (quint16 i = 0; i < count; ++i) {
        PatchOffset entry;
        in.readU16(entry.offset).readU8(entry.flag);
        patchOffsets.push_back(entry);
    }

    in.readU16(count);
    in.checkAvailable(count, kPatchPointSize);
    for (quint16 i = 0; i < count; ++i) {
        PatchPoint point;
        point.stream(in);
        patchPoints.push_back(point);
    }

    in.readU16(elementWord1).readU16(elementWord2).readU16(elementWord3).readU16(elementWord4);
    in.readBool(elementFlag);
    const auto readFlag = [&in, this](quint16 bit) {
        bool set = false;
        in.readBool(set);
        if (set)
            flags |= bit;
    };
    if (v < 302) {
        if (v >= 49)
            readFlag(kFlag04);
        readFlag(kFlagHidden);
    }
    in.readU16(xElDimension).readU16(yElDimension);
    xElDimension = clampDimension(xElDimension);
    yElDimension = clampDimension(yElDimension);
    if (v >= 302)
        in.readU16(flags);
    else if (v >= 111)
        readFlag(kFlag08);
    if (v >= 304 && v <= 352)
        in.readU16(elementValueMap()[id()]);
}

void FixtureModelElement::addParameter(quint16 function, quint32 type)
{
    const quint16 full = (type == 2 || type == 3) ? 65535 : 255;
    Parameter parameter;
    parameter.type = type;
    parameter.function = function;
    parameter.patchOffset = 0xFFFF;
    parameter.paramWord1 = 0;
    parameter.paramWord2 = full;
    parameter.paramValue = 1;
    parameter.noPatchOffset = true;
    parameter.ranges.push_back({.name = {}, .low = 0, .high = full, .rangeWord1 = 2, .rangeWord2 = 0});
    parameter.validate();
    if (function != 0) {
        parameters.push_back(std::move(parameter));
        flags |= kFlag04;
        return;
    }
    parameters.insert(parameters.begin(), std::move(parameter));
    for (auto it = parameters.begin() + 1; it != parameters.end(); ++it) {
        if (it->function >= 5 && it->function <= 7)
            it->paramFlag = true;
    }
}

void FixtureModelElement::updateFlags()
{
    SELTRANE_ASSERT(_gpShow);
    for (const Parameter& parameter : parameters) {
        if (parameter.function == 0)
            continue;
        if (isOffsetFunction(parameter.function)) {
            if (!parameter.noPatchOffset)
                flags |= kFlagOffsetFunction;
            continue;
        }
        const Function* function = _gpShow->function(parameter.function);
        if (function && (function->categoryMask & 0x7F) != 0)
            flags |= kFlagCategorisedFunction;
    }
}

quint32 FixtureModelElement::getFootprint(quint32 group) const
{
    quint32 footprint = 0;
    for (const PatchPoint& point : patchPoints) {
        if (group == kAllGroups || point.group == group)
            footprint += point.channelCount;
    }
    return footprint;
}

}  // namespace Quil
