#pragma once
// A small HTTP server for the tests and benchmarks: listens on 127.0.0.1 on a port the
// system picks, records each request as received and answers it as the test says.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <mutex>
#include <thread>

namespace testing_support {

class TestServer {
public:
    // One accepted connection, its request already read.
    class Connection {
    public:
        const QByteArray& request() const { return m_request; }
        // Sends all the bytes; false once the peer has gone.
        bool send(const QByteArray& bytes);
        bool send(const char* data, qsizetype size);
        // Holds the connection open, answering nothing, until the peer leaves or the
        // server stops.
        void hold();

    private:
        friend class TestServer;
        Connection(int socket, int stopSignal, QByteArray request)
            : m_socket(socket), m_stopSignal(stopSignal), m_request(std::move(request)) {}
        int m_socket;
        int m_stopSignal;
        QByteArray m_request;
    };
    using Handler = std::function<void(Connection&)>;

    explicit TestServer(Handler handler);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" followed by the rest.
    QString address(const QString& rest) const;
    // The requests received so far, as the bytes read up to the end of the head.
    QList<QByteArray> requests() const;

private:
    void serve();

    Handler m_handler;
    int m_listener = -1;
    int m_stopPipe[2] = {-1, -1};
    int m_port = 0;
    mutable std::mutex m_mutex;
    QList<QByteArray> m_requests;
    std::thread m_thread;
};

// Common answers. Each closes the connection when done.
TestServer::Handler respond(const QByteArray& statusLine, const QByteArray& body);
// Announces the whole body's length but sends only its first `sent` bytes.
TestServer::Handler cutAfter(const QByteArray& body, qsizetype sent);
// Reads the request and never answers.
TestServer::Handler silent();
// 200 with a body of `bytes` bytes of a repeating pattern, sent in large pieces.
TestServer::Handler stream(qint64 bytes);
// The pattern stream() sends: byte i is 'a' + i % 26.
QByteArray patternBytes(qint64 offset, qsizetype size);

// A port on 127.0.0.1 where nothing listens (bound once, then freed).
int closedPort();

}  // namespace testing_support
