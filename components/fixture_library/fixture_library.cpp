#include "components/fixture_library/fixture_library.h"

#include "components/fixture_library/fixture_file.h"
#include "components/fixture_library/library_files.h"
#include "components/fixture_library/message_handler.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>

using namespace FixtureLibraryTypes;

namespace {

QString keyText(const FixtureModelKey& key)
{
    return QStringLiteral("%1-%2-%3").arg(key.manufacturerId).arg(key.modelId).arg(key.modeId);
}

QString keyText(const QUuid& uuid) { return uuid.toString(); }

QString absolute(const QString& path) { return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath(); }

std::optional<QString> readManufacturer(const QStringList& fields, std::map<quint16, Manufacturer>& manufacturers)
{
    const auto id = decimalNumber(fields[0], 65535);
    const auto esta = decimalNumber(fields[2], 65535);
    if (!id)
        return fields[0];
    if (!esta)
        return fields[2];
    manufacturers[quint16(*id)] = Manufacturer {quint16(*id), fields[1], quint16(*esta)};
    return std::nullopt;
}

std::optional<QString> readFunction(const QStringList& fields, std::map<quint32, Function>& functions)
{
    using namespace FixtureVocabulary;
    const auto id = decimalNumber(fields[0], 0xFFFFFFFFu);
    const StandardFunction* rows = standardFunctions();
    const bool standard = id
        && std::any_of(rows, rows + kStandardFunctionCount, [&](const StandardFunction& row) { return row.id == *id; });
    if (!standard)
        return fields[0];
    const QString allowed = numberToName(Table::CategoryLetters, tableSize(Table::CategoryLetters) - 1);
    for (const QChar letter : fields[2]) {
        if (!allowed.contains(letter))
            return fields[2];
    }
    functions[*id] = Function {*id, fields[1], fields[2]};
    return std::nullopt;
}

std::optional<QString> readColour(const QStringList& fields, std::map<QString, QRgb>& colours)
{
    const QString& rgb = fields[1];
    const bool hex = rgb.size() == 6 && std::all_of(rgb.begin(), rgb.end(), [](QChar c) {
                         return (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                             || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                             || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
                     });
    if (!hex)
        return rgb;
    if (fields[0].isEmpty())
        return fields[0];
    colours[fields[0]] = 0xFF000000u | rgb.toUInt(nullptr, 16);
    return std::nullopt;
}

// Reads the list at path, when there is one.
void readList(const QString& path, int fieldCount, MessageHandler& messages, const CsvRow& row)
{
    QFile file(path);
    if (file.exists())
        readCsvList(file, path, fieldCount, messages, row);
}

}  // namespace

FixtureLibrary& FixtureLibrary::instance()
{
    static FixtureLibrary* const library = new FixtureLibrary;
    return *library;
}

void FixtureLibrary::load(const QString& systemFolder, const QString& userFolder, const QString& downloadsFolder,
                          MessageHandler& messages)
{
    m_folders[kSystem] = absolute(systemFolder);
    m_folders[kDownloads] = absolute(downloadsFolder);
    m_folders[kUser] = absolute(userFolder);
    m_models.clear();
    m_uuidModels.clear();
    m_manufacturers.clear();
    m_functions.clear();
    m_colours.clear();
    // Kept as well as passed on: whoever converts a show later says them again.
    struct Recorder : MessageHandler
    {
        Recorder(MessageHandler& target, QStringList& kept) : target(target), kept(kept) {}
        void addMessage(const QString& text) override
        {
            kept << text;
            target.addMessage(text);
        }
        MessageHandler& target;
        QStringList& kept;
    };
    m_loadMessages.clear();
    Recorder recorder(messages, m_loadMessages);
    for (const Source source : {kSystem, kDownloads, kUser})
        loadFolder(source, recorder);
}

bool FixtureLibrary::hasSystemModels() const
{
    const auto anyFromSystem = [](const auto& index) {
        for (const auto& [key, entries] : index) {
            for (const Entry& entry : entries) {
                if (entry.source == kSystem)
                    return true;
            }
        }
        return false;
    };
    return anyFromSystem(m_models) || anyFromSystem(m_uuidModels);
}

void FixtureLibrary::reloadLists(MessageHandler& messages)
{
    m_manufacturers.clear();
    m_functions.clear();
    m_colours.clear();
    for (const Source source : {kSystem, kDownloads, kUser}) {
        if (!m_folders[source].isEmpty())
            loadLists(m_folders[source], messages);
    }
}

void FixtureLibrary::loadFolder(Source source, MessageHandler& messages)
{
    const QString& folder = m_folders[source];
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    loadLists(folder, messages);
    QStringList paths;
    QDirIterator files(folder, {QStringLiteral("*.fixture")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        paths << files.next();
    std::sort(paths.begin(), paths.end());
    for (const QString& path : paths)
        addDefinitions(path, source, messages);
}

void FixtureLibrary::loadLists(const QString& folder, MessageHandler& messages)
{
    const QDir dir(folder);
    readList(dir.filePath(QStringLiteral("manufacturers.csv")), 3, messages,
             [this](const QStringList& fields) { return readManufacturer(fields, m_manufacturers); });
    readList(dir.filePath(QStringLiteral("functions.csv")), 3, messages,
             [this](const QStringList& fields) { return readFunction(fields, m_functions); });
    readList(dir.filePath(QStringLiteral("colours.csv")), 2, messages,
             [this](const QStringList& fields) { return readColour(fields, m_colours); });
}

int FixtureLibrary::addFile(const QString& path, MessageHandler& messages)
{
    const QString file = absolute(path);
    // The file's earlier models go: what it holds now replaces them.
    removeFile(m_models, file);
    removeFile(m_uuidModels, file);
    return addDefinitions(file, sourceOf(file), messages);
}

int FixtureLibrary::addDefinitions(const QString& path, Source source, MessageHandler& messages)
{
    QFile file(path);
    std::vector<FixtureDefinition> definitions = parseFixtureFile(file, path, messages);
    for (FixtureDefinition& definition : definitions) {
        const Entry entry {std::make_shared<const FixtureModel>(std::move(definition.model)), source, path};
        const FixtureModelSpec& modelSpec = entry.model->modelSpec;
        const bool uuidOnly = modelSpec.productId == FixtureModelSpec::kInvalidId;
        if (!uuidOnly)
            enter(m_models, definition.key, entry, messages, true);
        if (!modelSpec.uuid.isNull())
            enter(m_uuidModels, modelSpec.uuid, entry, messages, uuidOnly);
    }
    return int(definitions.size());
}

template <class Key>
void FixtureLibrary::enter(std::map<Key, Entries>& index, const Key& key, const Entry& entry, MessageHandler& messages,
                           bool report)
{
    Entries& entries = index[key];
    // One folder: the first file in name order wins, and so does the first
    // block of one file.
    const auto beats = [](const Entry& a, const Entry& b) {
        return a.source != b.source ? a.source > b.source : a.path < b.path;
    };
    // A clash is reported against the model that answers, when it is of the
    // same folder.
    if (report && !entries.empty() && entries.front().source == entry.source) {
        const Entry& present = entries.front();
        const bool replaces = beats(entry, present);
        const Entry& dropped = replaces ? present : entry;
        const Entry& kept = replaces ? entry : present;
        const QString fixture = dropped.model->modelSpec.name + QStringLiteral(" (") + keyText(key) + QLatin1Char(')');
        messages.addMessage(QObject::tr("Duplicate fixture %1 in %2 (kept %3)").arg(fixture, dropped.path, kept.path));
    }
    entries.insert(std::upper_bound(entries.begin(), entries.end(), entry, beats), entry);
}

template <class Key>
void FixtureLibrary::removeFile(std::map<Key, Entries>& index, const QString& path)
{
    for (auto it = index.begin(); it != index.end();) {
        std::erase_if(it->second, [&path](const Entry& entry) { return entry.path == path; });
        it = it->second.empty() ? index.erase(it) : std::next(it);
    }
}

FixtureLibrary::Source FixtureLibrary::sourceOf(const QString& path) const
{
    for (const Source source : {kUser, kDownloads, kSystem}) {
        const QString& folder = m_folders[source];
        if (!folder.isEmpty() && path.startsWith(folder + QLatin1Char('/')))
            return source;
    }
    return kUser;
}

FixtureLibrary::ModelPtr FixtureLibrary::find(quint16 manufacturerId, quint16 modelId) const
{
    const auto lowest = m_models.lower_bound(FixtureModelKey {manufacturerId, modelId, 0});
    if (lowest == m_models.end() || lowest->first.manufacturerId != manufacturerId || lowest->first.modelId != modelId)
        return nullptr;
    return lowest->second.front().model;
}

FixtureLibrary::ModelPtr FixtureLibrary::find(const FixtureModelKey& key) const
{
    const auto found = m_models.find(key);
    return found == m_models.end() ? nullptr : found->second.front().model;
}

FixtureLibrary::ModelPtr FixtureLibrary::findByUuid(const QUuid& uuid) const
{
    const auto found = m_uuidModels.find(uuid);
    return found == m_uuidModels.end() ? nullptr : found->second.front().model;
}

std::map<FixtureModelKey, FixtureLibrary::ModelPtr> FixtureLibrary::models() const
{
    std::map<FixtureModelKey, ModelPtr> models;
    for (const auto& [key, entries] : m_models)
        models.emplace_hint(models.end(), key, entries.front().model);
    return models;
}

quint16 FixtureLibrary::freeUserModelId(quint16 manufacturerId) const
{
    constexpr quint16 kMaxModelId = 1023;
    quint16 free = 0;
    for (auto it = m_models.lower_bound(FixtureModelKey {manufacturerId, 0, 0});
         it != m_models.end() && it->first.manufacturerId == manufacturerId && free <= kMaxModelId; ++it) {
        if (it->second.front().source == kUser && it->first.modelId == free)
            ++free;
    }
    return free <= kMaxModelId ? free : FixtureModelSpec::kInvalidId;
}

void FixtureLibrary::addProjectModel(const FixtureModelKey& key, const FixtureModel& model)
{
    m_projectModels[key] = std::make_shared<const FixtureModel>(model);
}

Archive::Pointer<FixtureModel> FixtureLibrary::modelForProject(const FixtureModelKey& key,
                                                               const std::map<quint32, quint32>& functionIdMap) const
{
    const ModelPtr model = find(key);
    if (!model)
        return Archive::Pointer<FixtureModel>();
    Archive::Pointer<FixtureModel> copy(static_cast<FixtureModel*>(model->clone()));
    copy->mapFunctions(functionIdMap);
    // The names follow their functions, or they would name the wrong ones.
    std::map<quint32, QString> names;
    for (const auto& [id, name] : copy->functionNames) {
        const auto mapped = functionIdMap.find(id);
        if (mapped != functionIdMap.end())
            names.emplace(mapped->second, name);
    }
    copy->functionNames = std::move(names);
    return copy;
}
