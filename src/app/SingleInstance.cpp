#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

namespace telvar {

namespace {

constexpr int kAnswerLimitMs = 5000;

QByteArray request(bool simulate) {
    return simulate ? QByteArrayLiteral("raise simulate\n") : QByteArrayLiteral("raise device\n");
}

QString userName() {
    const QString name = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    return name.isEmpty() ? QStringLiteral("user") : name;
}

} // namespace

SingleInstance::SingleInstance(bool simulate, QObject* parent)
    : QObject(parent), m_simulate(simulate), m_folder(folder()),
      m_lock(QDir(m_folder).filePath(QStringLiteral("telvar.lock"))) {
    // Only a lock whose process has died counts as stale, however long the first copy runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (m_server)
        m_server->close();
}

QString SingleInstance::folder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    // No runtime folder: one of our own in the temporary folder, so users still do not share a lock.
    const QString own = QDir::temp().filePath(QStringLiteral("telvar-") + userName());
    QDir().mkpath(own);
    return own;
}

SingleInstance::Outcome SingleInstance::start(QString* message) {
    if (!m_lock.tryLock(0))
        return ask(message);
    const QString socketPath = QDir(m_folder).filePath(QStringLiteral("telvar.socket"));
    // We hold the lock, so a socket file left there belongs to a copy that died.
    QLocalServer::removeServer(socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    // Without the socket the program still runs; a second start then only hears that it is running.
    m_server->listen(socketPath);
    return Outcome::First;
}

void SingleInstance::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine();
            if (line == request(m_simulate)) {
                socket->write("raised\n");
                Q_EMIT raiseRequested();
            } else {
                socket->write(m_simulate ? "simulate\n" : "device\n");
            }
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

SingleInstance::Outcome SingleInstance::ask(QString* message) {
    QLocalSocket socket;
    socket.connectToServer(QDir(m_folder).filePath(QStringLiteral("telvar.socket")));
    QByteArray reply;
    if (socket.waitForConnected(kAnswerLimitMs)) {
        socket.write(request(m_simulate));
        socket.flush();
        while (!socket.canReadLine() && socket.waitForReadyRead(kAnswerLimitMs)) {
        }
        reply = socket.readLine().trimmed();
    }
    if (reply == "raised") {
        *message =
            QStringLiteral("The Telvar X program is already running; its window is brought to the front.");
        return Outcome::Raised;
    }
    if (reply == "simulate" || reply == "device") {
        *message = reply == "simulate"
                       ? QStringLiteral("The Telvar X program is already running with the virtual Telvar X; "
                                        "quit it first to use the real device.")
                       : QStringLiteral("The Telvar X program is already running with the real device; quit "
                                        "it first to use the virtual Telvar X (--simulate).");
        return Outcome::Mismatch;
    }
    *message = QStringLiteral("The Telvar X program is already running.");
    return Outcome::NoAnswer;
}

} // namespace telvar
