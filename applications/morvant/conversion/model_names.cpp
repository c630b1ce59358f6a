#include "applications/morvant/conversion/model_names.h"

#include <array>
#include <iterator>

namespace {

typedef std::array<const char*, kModelEditions> ModelRow;

// Rows by Controller type; where a unit was sold under one other name only,
// the last edition keeps the maker's.
const ModelRow kControllerModels[] = {{"Unknown", "Unknown", "Unknown"},
                                      {"QMB", "WTR", "QMB"},
                                      {"QMB Z", "WTR Z", "QMB Z"},
                                      {"KNV", "HDJ", "YFB"},
                                      {"GZE", "Merrow", "GZE"},
                                      {"GZE+", "Merrow Pro", "GZE+"},
                                      {"NQA", "B-KF", "NQA"}};

// Rows by RDKey type from 100.
const quint32 kFirstRemoteDeviceType = 100;
const ModelRow kRemoteDeviceModels[] = {
    {"Local", "Local", "Local"},    {"DSX 80", "DSX 80", "DSX 80"}, {"DSX 44", "DSX 44", "DSX 44"},
    {"DSX 08", "DSX 08", "DSX 08"}, {"JWU", "JWU", "JWU"},          {"DSX A", "DSX A", "DSX A"},
    {"DSX D", "DSX D", "FTM"},      {"CVO", "CVO", "CVO"},          {"ZOQ", "KNV-DSX", "ZOQ"}};

template <std::size_t N>
const char* nameIn(const ModelRow (&rows)[N], quint32 row, int edition)
{
    if (row >= N || edition < 0 || edition >= kModelEditions)
        return nullptr;
    return rows[row][std::size_t(edition)];
}

}  // namespace

const char* controllerModelName(quint32 type, int edition) { return nameIn(kControllerModels, type, edition); }

const char* remoteDeviceModelName(quint32 type, int edition)
{
    if (type < kFirstRemoteDeviceType)
        return nullptr;
    return nameIn(kRemoteDeviceModels, type - kFirstRemoteDeviceType, edition);
}
