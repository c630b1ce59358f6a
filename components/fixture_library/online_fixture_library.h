// OnlineFixtureLibrary mirrors an online fixture library under a downloads
// folder and keeps the mirror current over HTTP with ETag and If-None-Match:
// the index ("index.sqlite"), the three lists and the definition files the
// index names. docs/fixture_library_formats.md gives the server layout and
// the index schema.
//
// A copy replaces the mirror only after a complete 200 whose body passes its
// check (the index opens and has its table, a list reads, a definition file
// gives a model) and once it is whole on disk (written, synced, closed); a
// failure or time-out keeps the mirror and is logged, and only a copy in
// place has its ETag stored. ETags live in onlineLibrarySettings() under
// "OnlineFixtureLibrary/ETags/" beside the endpoint they came from; they are
// sent only for a mirrored copy that exists and passes its check. Only URLs under the endpoint are asked
// for; redirects are not followed; an empty endpoint means off.
//
// update() and fetch() wait in a local event loop (the conversion runs in a
// button handler); the tracker's cancel flag aborts them. instance() is made
// on first use from the setting "OnlineFixtureLibrary/Url" of
// onlineLibrarySettings() and lives until the process ends. GUI thread only.
#ifndef FIXTURE_LIBRARY_ONLINE_FIXTURE_LIBRARY_H
#define FIXTURE_LIBRARY_ONLINE_FIXTURE_LIBRARY_H

#include <QObject>
#include <QString>
#include <QUrl>

#include <vector>

class FixtureLibrary;
class ProgressTracker;
class QNetworkAccessManager;
class QNetworkRequest;
class QTimer;

class OnlineFixtureLibrary : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultTimeoutMs = 20000;
    static constexpr int kDefaultProgressDelayMs = 1500;

    // A manufacturer's model; the index's lowest mode of it is fetched.
    struct ModelId
    {
        quint16 manufacturerId = 0;
        quint16 modelId = 0;
    };
    // The mirrored file of a key, or why there is none.
    struct Fetched
    {
        QString path;
        QString reason;
    };

    static OnlineFixtureLibrary& instance();
    // downloadsFolder empty: "<AppDataLocation>/downloads".
    explicit OnlineFixtureLibrary(const QUrl& endpoint, const QString& downloadsFolder = QString(),
                                  QObject* parent = nullptr);
    ~OnlineFixtureLibrary() override;

    bool isEnabled() const { return !m_endpoint.isEmpty(); }
    QString downloadsFolder() const { return m_folder; }

    // Brings the index and the three lists up to date, one tracker step per
    // file. True when each is current (fetched or confirmed).
    bool update(ProgressTracker& progress);
    // The mirrored definition file of each key, in key order; updates the
    // index and the lists first when this run has not yet done so.
    std::vector<Fetched> fetch(const std::vector<ModelId>& keys, ProgressTracker& progress);

    // The server's answer or the network's error, in their own words ("HTTP
    // 404 Not Found", "Connection refused"), for the first download of the
    // last update() or fetch() that failed, whether or not a copy downloaded
    // earlier stood in; empty when none failed.
    QString lastFailure() const { return m_lastFailure; }

    int timeoutMs() const { return m_timeoutMs; }
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int progressDelayMs() const { return m_progressDelayMs; }
    void setProgressDelayMs(int ms) { m_progressDelayMs = ms; }

signals:
    // A definition file was replaced by a newly downloaded copy.
    void fixtureDownloaded(const QString& path);
    // At least one list was replaced by a newly downloaded copy.
    void listsChanged();

private:
    enum class Kind { Index, List, Definition };
    // Kept: the download failed and the checked mirror stays in use.
    enum class Outcome { Replaced, Current, Kept, Failed };
    struct Batch;
    class Body;

    bool updateFiles(Batch& batch);
    // Brings one mirrored file up to date; a failure is logged.
    Outcome download(const QString& relativePath, Kind kind, Batch& batch, QString& failure);
    // One GET whose 200 body goes into body. The status; 0 after a network
    // error, time-out or cancel. failure says why unless the status is 200
    // or 304.
    int get(const QNetworkRequest& request, Body& body, Batch& batch, QString& failure, QByteArray& etag);
    bool passesCheck(const QString& path, Kind kind) const;
    QString mirrorPath(const QString& relativePath) const;
    QString etagKey(const QString& relativePath) const;
    // Texts go to the tracker only once the progress delay has passed.
    void showProgressText(Batch& batch);

    QUrl m_endpoint;
    QString m_folder;
    QString m_connectionName;
    QNetworkAccessManager* m_network = nullptr;
    // Restarted by every reply's data; aborts the open reply when it fires.
    QTimer* m_timeout;
    bool m_updated = false;
    QString m_lastFailure;
    int m_timeoutMs = kDefaultTimeoutMs;
    int m_progressDelayMs = kDefaultProgressDelayMs;
};

// Loads each newly downloaded definition file into library and reads its
// lists again when a list changed; problems are logged as warnings.
void connectOnlineFixtureLibrary(OnlineFixtureLibrary& online, FixtureLibrary& library);

#endif  // FIXTURE_LIBRARY_ONLINE_FIXTURE_LIBRARY_H
