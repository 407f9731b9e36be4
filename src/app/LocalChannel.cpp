// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LocalChannel.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace telvar {

namespace {

// A request or a reply is a line of a few hundred bytes at most; anything longer is no request of ours.
constexpr qsizetype kLineLimit = 4096;
constexpr std::chrono::milliseconds kRetryAfter{10};

bool makeAddress(const QString& path, sockaddr_un* address) {
    const QByteArray name = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, name.constData(), size_t(name.size()));
    return true;
}

// Not inherited by programs started from here, and never waiting on its own.
void keepToThisProgram(int fd) {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int openSocket() {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return -1;
    keepToThisProgram(fd);
#ifdef SO_NOSIGPIPE
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    return fd;
}

// Writing to a peer that has gone must fail, not stop the program with SIGPIPE.
ssize_t sendSome(int fd, const char* data, size_t size) {
#ifdef MSG_NOSIGNAL
    return ::send(fd, data, size, MSG_NOSIGNAL);
#else
    return ::send(fd, data, size, 0);
#endif
}

// Waits for `events` on `fd` until `deadline`; false once it has passed.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd watch{fd, events, 0};
        const int ready = ::poll(&watch, 1, int(left.count()));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

bool sendAll(int fd, const QByteArray& data, std::chrono::steady_clock::time_point deadline) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = sendSome(fd, data.constData() + sent, size_t(data.size() - sent));
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        else
            return false;
    }
    return true;
}

// One caller of the listener: what it has sent so far, until its line is whole.
class Peer : public QObject {
public:
    Peer(int fd, const LocalListener::Answer& answer, std::chrono::milliseconds limit, QObject* parent)
        : QObject(parent), m_fd(fd), m_answer(answer),
          m_notifier(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
        connect(m_notifier, &QSocketNotifier::activated, this, &Peer::read);
        QTimer::singleShot(limit, this, [this] { finish(); });
    }
    ~Peer() override {
        m_notifier->setEnabled(false);
        ::close(m_fd);
    }

private:
    void read() {
        char chunk[512];
        for (;;) {
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n > 0) {
                m_line.append(chunk, n);
                if (const qsizetype end = m_line.indexOf('\n'); end >= 0) {
                    const QByteArray reply = m_answer(m_line.left(end).trimmed()) + '\n';
                    // A short reply to a caller that waits for it: it fits in the socket's buffer.
                    sendSome(m_fd, reply.constData(), size_t(reply.size()));
                    finish();
                    return;
                }
                if (m_line.size() > kLineLimit) {
                    finish();
                    return;
                }
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                return;
            } else {
                finish(); // the caller has gone
                return;
            }
        }
    }
    void finish() {
        m_notifier->setEnabled(false);
        deleteLater();
    }

    int m_fd;
    LocalListener::Answer m_answer;
    QSocketNotifier* m_notifier;
    QByteArray m_line;
};

} // namespace

LocalListener::LocalListener(Answer answer, QObject* parent) : QObject(parent), m_answer(std::move(answer)) {}

LocalListener::~LocalListener() {
    closeAll();
}

bool LocalListener::listen(const QString& path, QString* error) {
    closeAll();
    sockaddr_un address;
    if (!makeAddress(path, &address)) {
        *error = QStringLiteral("%1 is too long a name for a local socket").arg(path);
        return false;
    }
    // The caller holds the lock that goes with this name, so whatever lies there was left by a copy that
    // died; only a socket is taken away.
    struct stat there;
    if (::lstat(address.sun_path, &there) == 0 && S_ISSOCK(there.st_mode))
        ::unlink(address.sun_path);
    m_socket = openSocket();
    // The folder is the user's own; the socket is closed to others as well.
    const bool bound =
        m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (!bound || ::chmod(address.sun_path, 0600) != 0 || ::lstat(address.sun_path, &there) != 0 ||
        ::listen(m_socket, 8) != 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        if (bound)
            ::unlink(address.sun_path);
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
        return false;
    }
    m_path = path;
    m_made = {there.st_dev, there.st_ino};
    m_incoming = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_incoming, &QSocketNotifier::activated, this, &LocalListener::accept);
    return true;
}

void LocalListener::accept() {
    for (;;) {
        const int fd = ::accept(m_socket, nullptr, nullptr);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // none waiting (or none that could be taken)
        }
        keepToThisProgram(fd);
        new Peer(fd, m_answer, m_peerLimit, this);
    }
}

void LocalListener::closeAll() {
    if (m_socket < 0)
        return;
    delete m_incoming;
    m_incoming = nullptr;
    ::close(m_socket);
    m_socket = -1;
    // Only the socket this listener made: a later start may already have put its own there.
    const QByteArray name = QFile::encodeName(m_path);
    struct stat there;
    if (::lstat(name.constData(), &there) == 0 && there.st_dev == m_made.first &&
        there.st_ino == m_made.second)
        ::unlink(name.constData());
}

QByteArray askLocal(const QString& path, const QByteArray& request, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    sockaddr_un address;
    if (!makeAddress(path, &address))
        return {};
    const int fd = openSocket();
    if (fd < 0)
        return {};
    QByteArray reply;
    int connected = -1;
    for (;;) {
        connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        if (connected == 0 || (errno != EINTR && errno != EAGAIN && errno != EINPROGRESS))
            break;
        if (errno == EINPROGRESS) {
            int problem = 0;
            socklen_t size = sizeof problem;
            if (waitFor(fd, POLLOUT, deadline) &&
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &problem, &size) == 0 && problem == 0)
                connected = 0;
            break;
        }
        if (errno == EAGAIN) {
            // The listener's queue is full for now: again shortly, within the limit.
            if (std::chrono::steady_clock::now() + kRetryAfter >= deadline)
                break;
            std::this_thread::sleep_for(kRetryAfter);
        }
    }
    if (connected == 0 && sendAll(fd, request + '\n', deadline)) {
        char chunk[512];
        while (!reply.contains('\n') && reply.size() <= kLineLimit) {
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n > 0)
                reply.append(chunk, n);
            else if (n < 0 && errno == EINTR)
                continue;
            else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLIN, deadline))
                continue;
            else
                break;
        }
    }
    ::close(fd);
    const qsizetype end = reply.indexOf('\n');
    return end < 0 ? QByteArray() : reply.left(end).trimmed();
}

} // namespace telvar
