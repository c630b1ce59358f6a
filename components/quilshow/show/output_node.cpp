#include "components/quilshow/show/output_node.h"

#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/progress_tracker.h"

#include <memory>

namespace Quil {

void RDKey::stream(ShowStreamer& in)
{
    quint16 word = 0;
    in.readU16(word);
    kind = static_cast<quint8>(word & 0xFF);
    in.readU8(number);
}

bool RDKey::operator<(const RDKey& other) const
{
    const auto folded = [](quint8 k) { return k == 6 ? quint8(5) : k; };
    if (folded(kind) != folded(other.kind))
        return folded(kind) < folded(other.kind);
    return number < other.number;
}

void KiNETPowerSupply::stream(ShowStreamer& in)
{
    quint16 id = 0;
    in.readU16(id).readU32(model).readU32(ipAddress);
    setId(id);
    const quint16 v = in.version;
    if ((v >= 171 && v <= 199) || v >= 218) {
        in.readU32(number).readText(text1).readText(text2);
    } else {
        number = quint32(id) + 1;
        text1.clear();
        text2.clear();
    }
}

void OutputNodeInterfaceConfig::stream(ShowStreamer&, OutputNodeLegacyRecord&) {}

OutputNode::OutputNode() : outputSettings(kOutputSettingCount, {1, 10}), powerSupplies(1024, 1024), universeKeys(64, 64)
{}

void OutputNode::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    if (v >= 150)
        in.expectMarker(kStartMarker);
    quint16 id = 0;
    in.readU16(id);
    setId(id);

    OutputNodeLegacyRecord legacy;
    interfaceConfig.stream(in, legacy);

    nodeFlag = false;
    nodeNumbers.clear();
    if (v >= 427)
        in.readBool(nodeFlag).readU32Set(nodeNumbers);

    if (v >= 288) {
        const quint32 count = in.readCount();
        in.checkAvailable(count, 8);
        outputSettings.resize(count, {1, 10});
        for (auto& setting : outputSettings)
            in.readU32Pair(setting);
        if (v < 376) {
            for (quint16 index : legacy.outputIndex) {
                if (index != OutputNodeLegacyRecord::kNoOutput && index < outputSettings.size())
                    outputSettings[index] = legacy.outputSetting;
            }
        }
    }

    if (v >= 305) {
        const quint32 count = in.readCount();
        in.checkAvailable(count, 8);
        for (quint32 i = 0; i < count; ++i) {
            quint32 key = 0;
            in.readU32(key);
            in.readU32(values[key]);
        }
        if (v < 376) {
            for (quint16 key : legacy.valueKey) {
                if (key != OutputNodeLegacyRecord::kNoValueKey)
                    values[key] = legacy.value;
            }
        }
    }

    if (v >= 154) {
        quint16 count = 0;
        in.readU16(count);
        for (quint16 i = 0; i < count; ++i) {
            auto supply = std::make_unique<KiNETPowerSupply>(0xFFFFFFFF);
            supply->stream(in);
            insertOrDrop(powerSupplies, std::move(supply));
        }
    }

    if (v >= 394) {
        quint16 count = 0;
        in.readU16(count);
        for (quint16 i = 0; i < count; ++i) {
            auto key = std::make_unique<DSXDMXUniverseKey>();
            quint16 keyId = 0;
            in.readU16(keyId);
            key->setId(keyId);
            key->key.stream(in);
            insertOrDrop(universeKeys, std::move(key));
        }
    }

    if (v >= 150)
        in.expectMarker(kEndMarker);
}

OutputNodeShowComponent::OutputNodeShowComponent() : nodes(40, 40) {}

OutputNodeShowComponent::~OutputNodeShowComponent() = default;

void OutputNodeShowComponent::clear()
{
    nodes.clear();
    remoteDevices.clear();
    links.clear();
}

void OutputNodeShowComponent::read(ShowStreamer& in, ProgressTracker* progress)
{
    quint16 count = 0;
    in.readU16(count);
    {
        ProgressStage stage(progress, count);
        for (quint16 i = 0; i < count; ++i) {
            auto node = std::make_unique<OutputNode>();
            node->stream(in);
            insertOrDrop(nodes, std::move(node));
            stage.step(i + 1u);
        }
    }

    if (in.version >= 384) {
        quint16 linkCount = 0;
        in.readU16(linkCount);
        for (quint16 i = 0; i < linkCount; ++i) {
            std::pair<quint32, quint32> link;
            in.readU32Pair(link);
            links.insert(link.first, link.second);
        }
    }

    if (in.version >= 394) {
        const quint32 deviceCount = in.readCount();
        in.checkAvailable(deviceCount, 7);
        for (quint32 i = 0; i < deviceCount; ++i) {
            RDKey key;
            key.stream(in);
            in.readU32(remoteDevices[key]);
        }
    }
}

}  // namespace Quil
