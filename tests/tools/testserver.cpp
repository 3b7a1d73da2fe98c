#include "testserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace testing_support {
namespace {

int listenOnLoopback(int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::listen(fd, 16) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    *port = ntohs(address.sin_port);
    return fd;
}

// Waits for the socket to be readable; false when the stop signal came first or time ran out.
bool waitReadable(int socket, int stopSignal, int timeoutMs)
{
    pollfd fds[2] = {{socket, POLLIN, 0}, {stopSignal, POLLIN, 0}};
    if (::poll(fds, 2, timeoutMs) <= 0)
        return false;
    return !(fds[1].revents & POLLIN) && (fds[0].revents & (POLLIN | POLLHUP | POLLERR));
}

// Reads up to the blank line ending the head, or until the client falls silent for a
// while (a client that does not speak HTTP, such as a TLS handshake).
QByteArray readHead(int socket, int stopSignal)
{
    QByteArray head;
    char buffer[4096];
    while (!head.contains("\r\n\r\n") && head.size() < 65536) {
        if (!waitReadable(socket, stopSignal, 1000))
            break;
        const ssize_t n = ::recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        head.append(buffer, n);
    }
    return head;
}

QByteArray responseHead(const QByteArray& statusLine, qint64 length)
{
    return statusLine + "\r\nContent-Type: text/html\r\nContent-Length: " + QByteArray::number(length)
           + "\r\nConnection: close\r\n\r\n";
}

}  // namespace

bool TestServer::Connection::send(const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = ::send(m_socket, data, size_t(size), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool TestServer::Connection::send(const QByteArray& bytes) { return send(bytes.constData(), bytes.size()); }

void TestServer::Connection::hold()
{
    char buffer[4096];
    while (waitReadable(m_socket, m_stopSignal, -1))
        if (::recv(m_socket, buffer, sizeof buffer, 0) <= 0)
            return;
}

TestServer::TestServer(Handler handler) : m_handler(std::move(handler))
{
    m_listener = listenOnLoopback(&m_port);
    if (::pipe2(m_stopPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    m_thread = std::thread([this] { serve(); });
}

TestServer::~TestServer()
{
    const char stop = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_stopPipe[1], &stop, 1);
    m_thread.join();
    ::close(m_listener);
    ::close(m_stopPipe[0]);
    ::close(m_stopPipe[1]);
}

QString TestServer::address(const QString& rest) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port) + rest;
}

QList<QByteArray> TestServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void TestServer::serve()
{
    while (waitReadable(m_listener, m_stopPipe[0], -1)) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        Connection connection(socket, m_stopPipe[0], readHead(socket, m_stopPipe[0]));
        {
            std::lock_guard lock(m_mutex);
            m_requests.append(connection.request());
        }
        m_handler(connection);
        ::shutdown(socket, SHUT_RDWR);
        ::close(socket);
    }
}

TestServer::Handler respond(const QByteArray& statusLine, const QByteArray& body)
{
    return [=](TestServer::Connection& connection) {
        connection.send(responseHead(statusLine, body.size()) + body);
    };
}

TestServer::Handler cutAfter(const QByteArray& body, qsizetype sent)
{
    return [=](TestServer::Connection& connection) {
        connection.send(responseHead("HTTP/1.0 200 OK", body.size()) + body.left(sent));
    };
}

TestServer::Handler silent()
{
    return [](TestServer::Connection& connection) { connection.hold(); };
}

QByteArray patternBytes(qint64 offset, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + (offset + i) % 26);
    return bytes;
}

TestServer::Handler stream(qint64 bytes)
{
    return [bytes](TestServer::Connection& connection) {
        // 26 divides the piece's length, so every piece continues the pattern.
        const QByteArray piece = patternBytes(0, 26 * 40960);
        if (!connection.send(responseHead("HTTP/1.0 200 OK", bytes)))
            return;
        for (qint64 sent = 0; sent < bytes;) {
            const qsizetype n = qsizetype(qMin<qint64>(piece.size(), bytes - sent));
            if (!connection.send(piece.constData(), n))
                return;
            sent += n;
        }
    };
}

int closedPort()
{
    int port = 0;
    ::close(listenOnLoopback(&port));
    return port;
}

}  // namespace testing_support
