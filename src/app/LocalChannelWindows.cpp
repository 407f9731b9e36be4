// SPDX-License-Identifier: GPL-3.0-or-later
// Windows has no Unix sockets to rely on: there the channel is a Qt local socket (a named pipe).
#include "app/LocalChannel.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace telvar {

LocalListener::LocalListener(Answer answer, QObject* parent) : QObject(parent), m_answer(std::move(answer)) {}

LocalListener::~LocalListener() {
    closeAll();
}

bool LocalListener::listen(const QString& path, QString* error) {
    closeAll();
    QLocalServer::removeServer(path);
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(path)) {
        *error = server->errorString();
        delete server;
        return false;
    }
    m_path = path;
    connect(server, &QLocalServer::newConnection, this, &LocalListener::accept);
    return true;
}

void LocalListener::accept() {
    auto* server = findChild<QLocalServer*>();
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            socket->write(m_answer(socket->readLine().trimmed()) + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
        QTimer::singleShot(m_peerLimit, socket, [socket] { socket->abort(); });
    }
}

void LocalListener::closeAll() {
    delete findChild<QLocalServer*>();
}

QByteArray askLocal(const QString& path, const QByteArray& request, std::chrono::milliseconds limit) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(int(limit.count())))
        return {};
    socket.write(request + '\n');
    socket.flush();
    while (!socket.canReadLine() && socket.waitForReadyRead(int(limit.count()))) {
    }
    return socket.canReadLine() ? socket.readLine().trimmed() : QByteArray();
}

} // namespace telvar
