// Output nodes of a version-1 show: each controller of the installation with
// its interface configuration, output settings, the KiNET power supplies
// wired to it and the DMX universes of the remote devices it drives; and the
// show component that holds all nodes with their link table and remote-device
// map.
//
// The component owns its nodes; a node owns its power supplies and universe
// keys. Everything is filled once by a load and read by the converter.
// Thread safety: GUI thread only, like the show.
#ifndef QUILSHOW_SHOW_OUTPUT_NODE_H
#define QUILSHOW_SHOW_OUTPUT_NODE_H

#include "components/quilshow/show/show_thing.h"
#include "components/quilshow/show/two_key_table.h"

#include <QtGlobal>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class ProgressTracker;

namespace Quil {

class ShowStreamer;

// A remote-device key. Kinds 5 and 6 count as one kind when ordering.
struct RDKey
{
    quint8 kind = 9;
    quint8 number = 0;

    // u16 whose low byte is the kind, then u8 number.
    void stream(ShowStreamer& in);
    bool operator<(const RDKey& other) const;
    bool operator==(const RDKey&) const = default;
};

class KiNETPowerSupply : public sortvector_el
{
public:
    explicit KiNETPowerSupply(quint32 model) : model(model) {}
    sortvector_el* clone() const override { return new KiNETPowerSupply(*this); }
    void stream(ShowStreamer& in);
    bool operator==(const KiNETPowerSupply&) const = default;

    quint32 model;
    quint32 ipAddress = 0x0A000000;
    quint32 number = 0;
    std::string text1;
    std::string text2;
};

// The universe index that DSX DMX patch records name, and its remote device.
class DSXDMXUniverseKey : public sortvector_el
{
public:
    sortvector_el* clone() const override { return new DSXDMXUniverseKey(*this); }
    bool operator==(const DSXDMXUniverseKey&) const = default;
    RDKey key;
};

// Values that old files kept with the interface configuration and that newer
// ones keep in the node's output settings and value map.
struct OutputNodeLegacyRecord
{
    static constexpr quint16 kNoOutput = 64;
    static constexpr quint16 kNoValueKey = 63999;
    quint16 outputIndex[2] = {kNoOutput, kNoOutput};
    std::pair<quint32, quint32> outputSetting {0, 0};
    quint16 valueKey[2] = {kNoValueKey, kNoValueKey};
    quint32 value = 0;
};

struct OutputNodeInterfaceConfig
{
    quint32 baudRate = 38400;
    quint8 dataBits = 8;
    quint8 stopBits = 1;
    quint8 parity = 0;

    // The files this program reads do not store the configuration: it reads
    // nothing, so the defaults and the legacy record's "none" values stay.
    void stream(ShowStreamer& in, OutputNodeLegacyRecord& legacy);
    bool operator==(const OutputNodeInterfaceConfig&) const = default;
};

class OutputNode : public ShowThing
{
public:
    static constexpr quint32 kOutputSettingCount = 64;
    // The record's markers, from version 150 on.
    static constexpr quint16 kStartMarker = 0x0132;
    static constexpr quint16 kEndMarker = 0x0133;

    OutputNode();
    sortvector_el* clone() const override { return new OutputNode(*this); }
    void stream(ShowStreamer& in) override;
    bool operator==(const OutputNode&) const = default;

    OutputNodeInterfaceConfig interfaceConfig;
    bool nodeFlag = false;
    std::set<quint32> nodeNumbers;
    // Each {1, 10} until a stream replaces them.
    std::vector<std::pair<quint32, quint32>> outputSettings;
    // A key without entry stands for the value 100.
    std::map<quint32, quint32> values;
    sortvector<KiNETPowerSupply> powerSupplies;
    sortvector<DSXDMXUniverseKey> universeKeys;
};

class OutputNodeShowComponent
{
public:
    OutputNodeShowComponent();
    virtual ~OutputNodeShowComponent();

    // Reads the component's section of the show stream.
    void read(ShowStreamer& in, ProgressTracker* progress = nullptr);
    void clear();

    // The first member of the link whose second member is `key`, or -1.
    qint64 lookupId(quint32 key) const { return links.firstFor(key); }
    bool operator==(const OutputNodeShowComponent&) const = default;

    sortvector<OutputNode> nodes;
    std::map<RDKey, quint32> remoteDevices;
    TwoKeyTable<quint32, quint32> links;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_OUTPUT_NODE_H
