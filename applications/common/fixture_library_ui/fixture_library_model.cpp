#include "applications/common/fixture_library_ui/fixture_library_model.h"

#include "applications/common/util/versioned_settings.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/online_fixture_library.h"

#include <algorithm>
#include <map>
#include <vector>

ManufacturerTreeModelItem::ManufacturerTreeModelItem(TreeModelItem* parent, quint16 manufacturerId, const QString& name)
    : TreeModelItem(parent), m_manufacturerId(manufacturerId)
{
    setData(0, name, Qt::DisplayRole);
}

FixtureTreeModelItem::FixtureTreeModelItem(TreeModelItem* parent, const FixtureModelKey& key, bool isMode)
    : TreeModelItem(parent), m_key(key), m_isMode(isMode)
{}

Qt::ItemFlags FixtureTreeModelItem::flags() const
{
    return m_isMode ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled;
}

FixtureLibraryModel::FixtureLibraryModel(const FixtureLibrary& library, OnlineFixtureLibrary* online, QObject* parent)
    : TreeModel(parent), m_library(library)
{
    // Queued, so the library has taken the download in before the tree is made.
    if (online) {
        connect(online, &OnlineFixtureLibrary::fixtureDownloaded, this, &FixtureLibraryModel::rebuild,
                Qt::QueuedConnection);
        connect(online, &OnlineFixtureLibrary::listsChanged, this, &FixtureLibraryModel::rebuild, Qt::QueuedConnection);
    }
    rebuild();
}

int FixtureLibraryModel::rowCount(const QModelIndex& parent) const
{
    return parent.column() > 0 ? 0 : TreeModel::rowCount(parent);
}

int FixtureLibraryModel::columnCount(const QModelIndex& parent) const { return rowCount(parent) > 0 ? 2 : 0; }

std::optional<FixtureModelKey> FixtureLibraryModel::keyOf(const QModelIndex& index) const
{
    const auto* item = index.isValid() ? dynamic_cast<const FixtureTreeModelItem*>(itemOf(index)) : nullptr;
    if (!item || !item->isMode())
        return std::nullopt;
    return item->key();
}

void FixtureLibraryModel::rebuild()
{
    using Models = std::vector<std::pair<FixtureModelKey, FixtureLibrary::ModelPtr>>;
    // Manufacturer, then model id, then its modes in order.
    std::map<quint16, std::map<quint16, Models>> tree;
    for (const auto& [key, model] : m_library.models())
        tree[key.manufacturerId][key.modelId].emplace_back(key, model);

    struct Maker
    {
        quint16 id;
        QString name;
    };
    std::vector<Maker> makers;
    for (const auto& entry : tree) {
        const auto listed = m_library.manufacturers().find(entry.first);
        makers.push_back(
            {entry.first,
             listed != m_library.manufacturers().end() ? listed->second.name : tr("Manufacturer %1").arg(entry.first)});
    }
    const auto byName = [](const auto& a, const auto& b) {
        const int order = QString::compare(a.name, b.name, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.id < b.id;
    };
    std::stable_sort(makers.begin(), makers.end(), byName);

    VersionedSettings& settings = *VersionedSettings::instance();
    beginResetModel();
    const QList<TreeModelItem*> old = root()->children();  // each leaves the list as it goes
    qDeleteAll(old);
    for (const Maker& maker : makers) {
        auto* makerItem = new ManufacturerTreeModelItem(root(), maker.id, maker.name);
        std::vector<Maker> models;
        for (const auto& [modelId, modes] : tree[maker.id])
            models.push_back({modelId, modes.front().second->modelSpec.name});
        std::stable_sort(models.begin(), models.end(), byName);
        for (const Maker& model : models) {
            const Models& modes = tree[maker.id][model.id];
            auto* modelItem = new FixtureTreeModelItem(makerItem, modes.front().first, false);
            modelItem->setData(0, model.name, Qt::DisplayRole);
            bool anyFavourite = false;
            for (const auto& [key, mode] : modes) {
                auto* modeItem = new FixtureTreeModelItem(modelItem, key, true);
                const bool favourite = settings.isFavourite(key.manufacturerId, key.modelId, key.modeId);
                anyFavourite = anyFavourite || favourite;
                modeItem->setData(0, mode->modelSpec.name, Qt::DisplayRole);
                modeItem->setData(1, mode->channelCount(-1, true), Qt::DisplayRole);
                modeItem->setData(0, favourite, kFavouriteRole);
            }
            modelItem->setData(0, anyFavourite, kFavouriteRole);
        }
    }
    endResetModel();
}
