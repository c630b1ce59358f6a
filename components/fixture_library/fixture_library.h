// FixtureLibrary is the index of the fixture models the program knows: the
// models of the definition files in three folders (the system library beside
// the program, the user library and the downloaded copies), their
// manufacturer, function and colour lists, and the fixture models of the
// project being converted.
//
// Each folder is searched recursively for "*.fixture"; its lists
// ("manufacturers.csv", "functions.csv", "colours.csv") sit at its top. The
// user library wins over the downloads and both over the system library; in
// one folder the first file in name order wins and a later copy is reported.
// List entries of a later folder replace earlier ones by id. A model with
// product id 65535 is known by its UUID only and never matches a key.
//
// Models are handed out shared and const: a later load replaces the library's
// entries but never changes a model that a caller holds.
//
// instance() is made on first use and lives until the process ends. GUI
// thread only, like every caller of it.
#ifndef FIXTURE_LIBRARY_FIXTURE_LIBRARY_H
#define FIXTURE_LIBRARY_FIXTURE_LIBRARY_H

#include "components/archive/object_base.h"
#include "components/fixture_library/fixture_library_types.h"

#include <QRgb>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <map>
#include <memory>
#include <vector>

class MessageHandler;

class FixtureLibrary
{
public:
    using ModelPtr = std::shared_ptr<const FixtureModel>;

    static FixtureLibrary& instance();

    // Replaces the library's models and lists by those of the folders (an
    // empty or missing folder holds none); keeps the project models. Every
    // problem goes to messages.
    void load(const QString& systemFolder, const QString& userFolder, const QString& downloadsFolder,
              MessageHandler& messages);
    // Adds the models of one definition file, as a file of the loaded folder
    // that holds it (a file elsewhere counts as the user's); what the file
    // gave before is replaced, and a key it no longer holds falls back to the
    // next file that has it. The number of models the file gave.
    int addFile(const QString& path, MessageHandler& messages);

    // The folders the last load() searched, absolute; empty when not given.
    QString systemFolder() const { return m_folders[kSystem]; }
    QString userFolder() const { return m_folders[kUser]; }
    QString downloadsFolder() const { return m_folders[kDownloads]; }
    // Whether any definition of the system folder was taken.
    bool hasSystemModels() const;
    // The problems the last load() reported, in order: a conversion that
    // needs the library says them again, as a window may have cleared them.
    const QStringList& loadMessages() const { return m_loadMessages; }

    // The model of the lowest mode of a manufacturer's model; null when none.
    ModelPtr find(quint16 manufacturerId, quint16 modelId) const;
    ModelPtr find(const FixtureModelKey& key) const;
    // A model by its UUID, also one with product id 65535.
    ModelPtr findByUuid(const QUuid& uuid) const;
    // Every model known by its key, in key order.
    std::map<FixtureModelKey, ModelPtr> models() const;
    // The lowest model id (0 to 1023) that no model of the user library
    // takes for the manufacturer; 65535 when all are taken.
    quint16 freeUserModelId(quint16 manufacturerId) const;

    const std::map<quint16, FixtureLibraryTypes::Manufacturer>& manufacturers() const { return m_manufacturers; }
    const std::map<quint32, FixtureLibraryTypes::Function>& functions() const { return m_functions; }
    const std::map<QString, QRgb>& colours() const { return m_colours; }
    // Reads the lists of the loaded folders again, in their order.
    void reloadLists(MessageHandler& messages);

    // The fixture models the converted project holds, by key; a second model
    // under one key replaces the first. Cleared when the project closes.
    void addProjectModel(const FixtureModelKey& key, const FixtureModel& model);
    const std::map<FixtureModelKey, ModelPtr>& projectModels() const { return m_projectModels; }
    void clearProjectModels() { m_projectModels.clear(); }

    // A copy of the library's model of key for a project, its parameters and
    // function names moved to the project's function ids; null when the
    // library has no such model.
    Archive::Pointer<FixtureModel> modelForProject(const FixtureModelKey& key,
                                                   const std::map<quint32, quint32>& functionIdMap) const;

private:
    // In rising precedence; also the load order.
    enum Source { kSystem, kDownloads, kUser, kSourceCount };

    struct Entry
    {
        ModelPtr model;
        Source source = kSystem;
        QString path;
    };

    void loadFolder(Source source, MessageHandler& messages);
    void loadLists(const QString& folder, MessageHandler& messages);
    int addDefinitions(const QString& path, Source source, MessageHandler& messages);
    // Every file's model of a key, best first: higher precedence, then the
    // earlier file, then the earlier block. The ones behind the first are
    // kept so that they answer again when a file added again no longer
    // holds the key.
    using Entries = std::vector<Entry>;

    // Enters entry behind the entries that beat it; a clash with the entry
    // that answers, when it is of the same folder, is reported when report
    // is set.
    template <class Key>
    void enter(std::map<Key, Entries>& index, const Key& key, const Entry& entry, MessageHandler& messages,
               bool report);
    template <class Key>
    static void removeFile(std::map<Key, Entries>& index, const QString& path);
    Source sourceOf(const QString& path) const;

    QString m_folders[kSourceCount];
    std::map<FixtureModelKey, Entries> m_models;
    std::map<QUuid, Entries> m_uuidModels;
    std::map<quint16, FixtureLibraryTypes::Manufacturer> m_manufacturers;
    std::map<quint32, FixtureLibraryTypes::Function> m_functions;
    std::map<QString, QRgb> m_colours;
    std::map<FixtureModelKey, ModelPtr> m_projectModels;
    QStringList m_loadMessages;
};

#endif  // FIXTURE_LIBRARY_FIXTURE_LIBRARY_H
