// FixtureLibraryModel shows the fixture library as a tree: manufacturers
// sorted by name, under each its models, under each model its modes. A
// manufacturer the list does not name shows as "Manufacturer <id>". Mode
// items show their channel count in column 1 and are selectable; mode and
// model items carry whether they are (or hold) a favourite under
// kFavouriteRole.
//
// rebuild() replaces the tree (a model reset). The model rebuilds itself
// after each download of the online library it is given; whoever loads the
// library again calls rebuild(). It reads the library and the favourites of
// the versioned settings; the library must outlive it. GUI thread only.
#ifndef APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_LIBRARY_MODEL_H
#define APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_LIBRARY_MODEL_H

#include "applications/common/util/tree_model.h"
#include "components/lx_objects/fixtures/fixture_model_spec.h"

#include <optional>

class FixtureLibrary;
class OnlineFixtureLibrary;

class ManufacturerTreeModelItem : public TreeModelItem
{
public:
    ManufacturerTreeModelItem(TreeModelItem* parent, quint16 manufacturerId, const QString& name);
    quint16 manufacturerId() const { return m_manufacturerId; }

private:
    quint16 m_manufacturerId;
};

// A model (all its modes) or one mode of it.
class FixtureTreeModelItem : public TreeModelItem
{
public:
    FixtureTreeModelItem(TreeModelItem* parent, const FixtureModelKey& key, bool isMode);
    Qt::ItemFlags flags() const override;
    const FixtureModelKey& key() const { return m_key; }
    bool isMode() const { return m_isMode; }

private:
    FixtureModelKey m_key;
    bool m_isMode;
};

class FixtureLibraryModel : public TreeModel
{
    Q_OBJECT

public:
    static constexpr int kFavouriteRole = Qt::UserRole + 1;

    explicit FixtureLibraryModel(const FixtureLibrary& library, OnlineFixtureLibrary* online = nullptr,
                                 QObject* parent = nullptr);

    // Rows only under column 0; two columns where there are rows.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;

    // The key of a mode item.
    std::optional<FixtureModelKey> keyOf(const QModelIndex& index) const;

public slots:
    void rebuild();

private:
    const FixtureLibrary& m_library;
};

#endif  // APPLICATIONS_COMMON_FIXTURE_LIBRARY_UI_FIXTURE_LIBRARY_MODEL_H
