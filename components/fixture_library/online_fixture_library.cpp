#include "components/fixture_library/online_fixture_library.h"

#include "components/fixture_library/fixture_file.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/library_files.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_library_settings.h"
#include "seltrane_components/os/atomic_file.h"
#include "seltrane_components/os/clocks.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>

namespace {

const QString kUrlKey = QStringLiteral("OnlineFixtureLibrary/Url");
const QString kEtagGroup = QStringLiteral("OnlineFixtureLibrary/ETags");
const QString kEndpointKey = kEtagGroup + QStringLiteral("/Endpoint");
const QString kIndexFile = QStringLiteral("index.sqlite");
const QString kFiles[] = {kIndexFile, QStringLiteral("manufacturers.csv"), QStringLiteral("functions.csv"),
                          QStringLiteral("colours.csv")};
constexpr int kUpdateFileCount = 4;
constexpr qint64 kMaxIndexSize = 256 * 1024 * 1024;
// How often a waiting download looks at the cancel flag and the progress
// delay.
constexpr int kPollMs = 50;

void logFailure(const QString& what, const QString& why)
{
    logMessage(kLogWarning, "%s",
               OnlineFixtureLibrary::tr("Online fixture library: %1 (%2)").arg(what, why).toUtf8().constData());
}

void logMessages(const ConcatenatingMessageHandler& messages)
{
    for (const QString& text : messages.messages())
        logMessage(kLogWarning, "%s", text.toUtf8().constData());
}

// A server-given path may name only a file below the mirror: nothing
// absolute, no "..", no backslash and no scheme or drive.
bool isSafePath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QLatin1Char('\\'))
        || path.contains(QLatin1Char(':')) || path.contains(QChar(0)))
        return false;
    const QStringList segments = path.split(QLatin1Char('/'));
    return std::none_of(segments.begin(), segments.end(), [](const QString& s) { return s == QLatin1String(".."); });
}

// One read-only connection to an index file, removed with this object.
class IndexConnection
{
public:
    IndexConnection(const QString& name, const QString& path) : m_name(name)
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!QFileInfo(path).isFile() || !db.open())
            return;
        QSqlQuery version(db);
        QSqlQuery table(db);
        m_valid = version.exec(QStringLiteral("PRAGMA user_version")) && version.next() && version.value(0).toInt() == 1
            && table.exec(
                QStringLiteral("SELECT manufacturer_id, model_id, mode_id, name, path FROM fixtures LIMIT 1"));
    }
    ~IndexConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    IndexConnection(const IndexConnection&) = delete;
    IndexConnection& operator=(const IndexConnection&) = delete;

    bool isValid() const { return m_valid; }
    // The path of the lowest mode of key; empty when the index has none.
    QString path(const OnlineFixtureLibrary::ModelId& key) const
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.prepare(QStringLiteral("SELECT path FROM fixtures WHERE manufacturer_id = ? AND model_id = ? "
                                     "ORDER BY mode_id LIMIT 1"));
        query.addBindValue(int(key.manufacturerId));
        query.addBindValue(int(key.modelId));
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }

private:
    QString m_name;
    bool m_valid = false;
};

}  // namespace

// A run of downloads that shares one tracker stage.
struct OnlineFixtureLibrary::Batch
{
    explicit Batch(ProgressTracker& tracker) : progress(tracker) {}

    ProgressTracker& progress;
    qint64 startMs = elapsedMs();
    unsigned done = 0;
    bool titleShown = false;
    QString current;  // the file being downloaded

    void stepDone() { progress.setStep(++done); }
};

// Where the body of a 200 goes: the AtomicFile that replaces the mirror's
// copy when committed, only once it is whole on disk, and a private copy
// that the check reads before that.
class OnlineFixtureLibrary::Body
{
public:
    Body(const QString& target, qint64 limit) : m_save(target), m_limit(limit) {}

    bool write(const QByteArray& data)
    {
        if (!m_open) {
            const QString folder = QFileInfo(m_save.fileName()).path();
            if (const int error = makeFolderPath(folder)) {
                return fail(OnlineFixtureLibrary::tr("the folder %1 could not be made (%2)")
                                .arg(QDir::toNativeSeparators(folder), systemErrorText(error)));
            }
            if (!m_save.open(QIODevice::WriteOnly))
                return fail(m_save.errorString());
            errno = 0;
            m_open = m_copy.open();
            if (!m_open)
                return copyFailed();
        }
        m_size += data.size();
        if (m_size > m_limit)
            return fail(OnlineFixtureLibrary::tr("the file is larger than %1 MiB").arg(m_limit / (1024 * 1024)));
        if (m_save.write(data) != data.size())
            return fail(m_save.errorString());
        errno = 0;
        return m_copy.write(data) == data.size() || copyFailed();
    }
    bool flushCopy()
    {
        if (!m_open && !write(QByteArray()))
            return false;
        errno = 0;
        return m_copy.flush() || copyFailed();
    }
    QString copyPath() const { return m_copy.fileName(); }
    qint64 size() const { return m_size; }
    // True once the new copy is in place, its folder synced or not: a copy
    // lost to a power cut is asked for whole again.
    bool commit() { return m_save.commit() || fail(m_save.errorString()); }
    QString error() const { return m_error; }

private:
    bool fail(const QString& error)
    {
        m_error = error;
        m_save.cancelWriting();
        return false;
    }
    // The private copy the check reads lives in the temporary folder, not
    // beside the mirror: its failure is that folder's.
    // The file's error text misses a write cut short, errno does not.
    bool copyFailed()
    {
        const QString reason = errno != 0 ? systemErrorText(errno) : m_copy.errorString();
        return fail(OnlineFixtureLibrary::tr("the download could not be written into the temporary folder %1 (%2)")
                        .arg(QDir::toNativeSeparators(QDir::tempPath()), reason));
    }

    AtomicFile m_save;
    QTemporaryFile m_copy;
    qint64 m_limit;
    qint64 m_size = 0;
    bool m_open = false;
    QString m_error;
};

OnlineFixtureLibrary& OnlineFixtureLibrary::instance()
{
    static OnlineFixtureLibrary* const library =
        new OnlineFixtureLibrary(QUrl(onlineLibrarySettings().value(kUrlKey).toString()));
    return *library;
}

OnlineFixtureLibrary::OnlineFixtureLibrary(const QUrl& endpoint, const QString& downloadsFolder, QObject* parent)
    : QObject(parent), m_folder(downloadsFolder.isEmpty() ? QString() : QDir::cleanPath(downloadsFolder)),
      m_connectionName(QStringLiteral("OnlineFixtureLibrary-%1").arg(quintptr(this), 0, 16)),
      m_timeout(new QTimer(this))
{
    m_timeout->setSingleShot(true);
    if (m_folder.isEmpty()) {
        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        if (!appData.isEmpty())
            m_folder = appData + QStringLiteral("/downloads");
    }
    if (endpoint.isEmpty())
        return;
    const QString scheme = endpoint.scheme();
    if (!endpoint.isValid() || endpoint.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        logFailure(tr("the address %1 is not an http or https URL, so the library stays off").arg(endpoint.toString()),
                   tr("set %1 to the library's address").arg(kUrlKey));
        return;
    }
    if (m_folder.isEmpty()) {
        logFailure(tr("there is no application data folder to keep downloads in, so the library stays off"),
                   tr("check that the home folder is writable"));
        return;
    }
    m_endpoint = endpoint;
    if (!m_endpoint.path().endsWith(QLatin1Char('/')))
        m_endpoint.setPath(m_endpoint.path() + QLatin1Char('/'));
    // ETags of another endpoint describe other files.
    OnlineLibrarySettings& settings = onlineLibrarySettings();
    if (settings.value(kEndpointKey).toString() != m_endpoint.toString()) {
        settings.removeGroup(kEtagGroup);
        settings.setValue(kEndpointKey, m_endpoint.toString());
    }
}

OnlineFixtureLibrary::~OnlineFixtureLibrary() = default;

QString OnlineFixtureLibrary::mirrorPath(const QString& relativePath) const
{
    return m_folder + QLatin1Char('/') + relativePath;
}

QString OnlineFixtureLibrary::etagKey(const QString& relativePath) const
{
    return kEtagGroup + QLatin1Char('/') + QString::fromLatin1(QUrl::toPercentEncoding(relativePath));
}

bool OnlineFixtureLibrary::passesCheck(const QString& path, Kind kind) const
{
    if (!QFileInfo(path).isFile())
        return false;
    if (kind == Kind::Index)
        return IndexConnection(m_connectionName, path).isValid();
    QFile file(path);
    ConcatenatingMessageHandler ignored;
    if (kind == Kind::List) {
        QStringList lines;
        return readTextLines(file, path, ignored, lines);
    }
    return !parseFixtureFile(file, path, ignored).empty();
}

void OnlineFixtureLibrary::showProgressText(Batch& batch)
{
    if (elapsedMs() - batch.startMs < m_progressDelayMs)
        return;
    if (!batch.titleShown) {
        batch.titleShown = true;
        batch.progress.setTitleText(tr("Online fixture library"));
    }
    const QString status = tr("Downloading %1").arg(batch.current);
    if (batch.progress.statusText() != status)
        batch.progress.setStatusText(status);
}

bool OnlineFixtureLibrary::update(ProgressTracker& progress)
{
    m_lastFailure.clear();
    Batch batch(progress);
    progress.begin(kUpdateFileCount);
    const bool current = updateFiles(batch);
    progress.end();
    return current;
}

bool OnlineFixtureLibrary::updateFiles(Batch& batch)
{
    m_updated = true;
    if (!isEnabled())
        return false;
    bool current = true;
    bool listChanged = false;
    for (int i = 0; i < kUpdateFileCount; ++i) {
        if (batch.progress.isCancelled()) {
            current = false;
            break;
        }
        QString failure;
        const Outcome outcome = download(kFiles[i], i == 0 ? Kind::Index : Kind::List, batch, failure);
        current = current && outcome != Outcome::Failed && outcome != Outcome::Kept;
        listChanged = listChanged || (i > 0 && outcome == Outcome::Replaced);
        batch.stepDone();
    }
    if (listChanged)
        emit listsChanged();
    return current;
}

std::vector<OnlineFixtureLibrary::Fetched> OnlineFixtureLibrary::fetch(const std::vector<ModelId>& keys,
                                                                       ProgressTracker& progress)
{
    std::vector<Fetched> results(keys.size());
    m_lastFailure.clear();
    if (!isEnabled()) {
        for (Fetched& result : results)
            result.reason = tr("The online fixture library is off: no address is set under %1").arg(kUrlKey);
        return results;
    }
    Batch batch(progress);
    const bool updating = !m_updated;
    progress.begin(unsigned(keys.size()) + (updating ? kUpdateFileCount : 0));
    if (updating)
        updateFiles(batch);

    std::vector<QString> paths(keys.size());
    {
        const IndexConnection index(m_connectionName, mirrorPath(kIndexFile));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const QString key = QStringLiteral("%1-%2").arg(keys[i].manufacturerId).arg(keys[i].modelId);
            if (!index.isValid()) {
                results[i].reason = tr("The online fixture library's index is not available; check the network "
                                       "connection and the address under %1, then try again")
                                        .arg(kUrlKey);
            } else if ((paths[i] = index.path(keys[i])).isEmpty()) {
                results[i].reason = tr("The online fixture library has no fixture type %1").arg(key);
            } else if (!isSafePath(paths[i]) || !paths[i].endsWith(QLatin1String(".fixture"))) {
                results[i].reason = tr("The online fixture library's index gives fixture type %1 the path \"%2\", "
                                       "which is refused: it must be a .fixture file inside the library")
                                        .arg(key, paths[i]);
                paths[i].clear();
            }
        }
    }

    std::map<QString, Fetched> byPath;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (progress.isCancelled() && results[i].reason.isEmpty())
            results[i].reason = tr("Cancelled");
        if (!results[i].reason.isEmpty()) {
            batch.stepDone();
            continue;
        }
        const auto known = byPath.find(paths[i]);
        if (known != byPath.end()) {
            results[i] = known->second;
            batch.stepDone();
            continue;
        }
        QString failure;
        const Outcome outcome = download(paths[i], Kind::Definition, batch, failure);
        if (outcome == Outcome::Failed)
            results[i].reason = tr("%1 could not be downloaded (%2)").arg(paths[i], failure);
        else
            results[i].path = mirrorPath(paths[i]);
        if (outcome == Outcome::Replaced)
            emit fixtureDownloaded(results[i].path);
        byPath.emplace(paths[i], results[i]);
        batch.stepDone();
    }
    progress.end();
    return results;
}

OnlineFixtureLibrary::Outcome OnlineFixtureLibrary::download(const QString& relativePath, Kind kind, Batch& batch,
                                                             QString& failure)
{
    batch.current = relativePath;
    showProgressText(batch);
    if (!isSafePath(relativePath)) {
        failure = tr("the path is refused");
        logFailure(tr("%1 was not downloaded: a path must stay inside the library").arg(relativePath), failure);
        return Outcome::Failed;
    }
    OnlineLibrarySettings& settings = onlineLibrarySettings();
    const QString target = mirrorPath(relativePath);
    bool mirrored = passesCheck(target, kind);
    const QString etag = settings.value(etagKey(relativePath)).toString();
    // A stored ETag vouches only for a copy that is there and sound.
    bool conditional = mirrored && !etag.isEmpty();
    const auto failed = [&](const QString& why) {
        failure = why;
        if (m_lastFailure.isEmpty())
            m_lastFailure = why;
        logFailure(mirrored ? tr("%1 was not updated; the copy downloaded earlier is used").arg(relativePath)
                            : tr("%1 could not be downloaded; check the network connection and the address under "
                                 "%2, then try again")
                                  .arg(relativePath, kUrlKey),
                   why);
        return mirrored ? Outcome::Kept : Outcome::Failed;
    };

    for (int attempt = 0; attempt < 2; ++attempt) {
        QUrl url = m_endpoint;
        url.setPath(m_endpoint.path(QUrl::FullyDecoded) + relativePath, QUrl::DecodedMode);
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        // The body is kept as sent, so its length can be checked.
        request.setRawHeader("Accept-Encoding", "identity");
        if (conditional)
            request.setRawHeader("If-None-Match", etag.toUtf8());
        Body body(target, kind == Kind::Index ? kMaxIndexSize : kMaxLibraryFileSize);
        QString why;
        QByteArray newEtag;
        const int status = get(request, body, batch, why, newEtag);
        if (status == 304) {
            if (passesCheck(target, kind))
                return Outcome::Current;
            // The copy went missing since the request was made: ask for it whole.
            mirrored = false;
            if (!conditional)
                break;
            conditional = false;
            continue;
        }
        if (status != 200)
            return failed(why);
        if (!body.flushCopy() || !passesCheck(body.copyPath(), kind))
            return failed(body.error().isEmpty() ? tr("the downloaded file is damaged") : body.error());
        if (!body.commit())
            return failed(body.error());
        if (newEtag.isEmpty())
            settings.remove(etagKey(relativePath));
        else
            settings.setValue(etagKey(relativePath), QString::fromUtf8(newEtag));
        return Outcome::Replaced;
    }
    return failed(tr("the server calls a copy current that is not there"));
}

int OnlineFixtureLibrary::get(const QNetworkRequest& request, Body& body, Batch& batch, QString& failure,
                              QByteArray& etag)
{
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    const std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    const auto status = [&reply] { return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); };
    QEventLoop loop;
    QTimer poll;
    bool timedOut = false;
    bool cancelled = false;
    bool bodyFailed = false;
    const auto read = [&] {
        const QByteArray data = reply->readAll();
        if (status() == 200 && !bodyFailed && !body.write(data)) {
            bodyFailed = true;
            reply->abort();
        }
    };
    connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        m_timeout->start(m_timeoutMs);
        read();
    });
    connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    connect(m_timeout, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (batch.progress.isCancelled()) {
            cancelled = true;
            reply->abort();
        }
        showProgressText(batch);
    });
    m_timeout->start(m_timeoutMs);
    poll.start(kPollMs);
    if (!reply->isFinished())
        loop.exec();
    m_timeout->stop();
    if (!timedOut && !cancelled && !bodyFailed)
        read();

    if (cancelled) {
        failure = tr("cancelled");
        return 0;
    }
    if (timedOut) {
        failure = tr("no reply for %1 ms").arg(m_timeoutMs);
        return 0;
    }
    if (bodyFailed) {
        failure = body.error();
        return 0;
    }
    const int code = status();
    bool sized = false;
    const qint64 expected = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&sized);
    if (code == 0 || (code == 200 && reply->error() != QNetworkReply::NoError)) {
        failure = reply->errorString();
        return 0;
    }
    if (code == 200 && sized && expected != body.size()) {
        failure = tr("the connection ended after %1 of %2 bytes").arg(body.size()).arg(expected);
        return 0;
    }
    if (code != 200 && code != 304) {
        failure = QStringLiteral("HTTP %1 %2")
                      .arg(code)
                      .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString())
                      .trimmed();
    }
    etag = reply->rawHeader("ETag");
    return code;
}

void connectOnlineFixtureLibrary(OnlineFixtureLibrary& online, FixtureLibrary& library)
{
    QObject::connect(&online, &OnlineFixtureLibrary::fixtureDownloaded, &online, [&library](const QString& path) {
        ConcatenatingMessageHandler messages;
        library.addFile(path, messages);
        logMessages(messages);
    });
    QObject::connect(&online, &OnlineFixtureLibrary::listsChanged, &online, [&library] {
        ConcatenatingMessageHandler messages;
        library.reloadLists(messages);
        logMessages(messages);
    });
}
