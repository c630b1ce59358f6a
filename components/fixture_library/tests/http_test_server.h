// A small HTTP/1.1 server on 127.0.0.1 (a free port) for the online fixture
// library's tests: it serves files with ETags, answers 304 to a matching
// If-None-Match, records every request, and can be told to stall or close
// mid-body, answer 404 or 500, or redirect to another server.
// Header only, so any component's tests can include it. Main thread only; it
// answers from the event loop the client runs.
#ifndef FIXTURE_LIBRARY_TESTS_HTTP_TEST_SERVER_H
#define FIXTURE_LIBRARY_TESTS_HTTP_TEST_SERVER_H

#include <QByteArray>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class HttpTestServer : public QObject
{
public:
    enum class Answer { File, StallMidBody, CloseMidBody, NotFound, ServerError, Redirect };
    struct Request
    {
        QString path;  // without the leading "/"
        QByteArray ifNoneMatch;
        bool operator==(const Request&) const = default;
    };

    HttpTestServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto buffer = std::make_shared<QByteArray>();
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    *buffer += socket->readAll();
                    for (int end; (end = buffer->indexOf("\r\n\r\n")) >= 0;) {
                        const QByteArray head = buffer->left(end);
                        buffer->remove(0, end + 4);
                        answer(socket, head);
                    }
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort())); }

    std::map<QString, std::pair<QByteArray, QByteArray>> files;  // body and ETag by path
    std::map<QString, Answer> answers;                           // File unless given
    QUrl redirectTarget;                                         // a redirect keeps the path
    std::vector<Request> requests;
    int notModified = 0;
    // Called with each request before it is answered.
    std::function<void(const Request&)> onRequest;

private:
    void answer(QTcpSocket* socket, const QByteArray& head)
    {
        const QList<QByteArray> lines = head.split('\n');
        Request request {QUrl::fromPercentEncoding(lines.value(0).split(' ').value(1)).mid(1), {}};
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("if-none-match:"))
                request.ifNoneMatch = line.mid(14).trimmed();
        }
        requests.push_back(request);
        if (onRequest)
            onRequest(request);
        // Content-Length is always the whole body's; a stall or a close sends half of it.
        const auto send = [socket](const QByteArray& status, const QByteArray& headers, const QByteArray& body,
                                   bool half = false) {
            socket->write("HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + QByteArray::number(body.size())
                          + "\r\n\r\n" + (half ? body.left(body.size() / 2) : body));
        };
        const auto file = files.find(request.path);
        const Answer answer = answers.count(request.path) ? answers[request.path] : Answer::File;
        if (answer == Answer::Redirect)
            return send("302 Found", "Location: " + redirectTarget.resolved(QUrl(request.path)).toEncoded() + "\r\n",
                        {});
        if (answer == Answer::NotFound || file == files.end())
            return send("404 Not Found", {}, "missing");
        if (answer == Answer::ServerError)
            return send("500 Internal Server Error", {}, "broken");
        const auto& [body, etag] = file->second;
        if (!etag.isEmpty() && request.ifNoneMatch == etag) {
            ++notModified;
            return send("304 Not Modified", "ETag: " + etag + "\r\n", {});
        }
        send("200 OK", "ETag: " + etag + "\r\n", body, answer != Answer::File);
        if (answer == Answer::CloseMidBody)
            socket->disconnectFromHost();
    }

    QTcpServer m_server;
};

#endif  // FIXTURE_LIBRARY_TESTS_HTTP_TEST_SERVER_H
