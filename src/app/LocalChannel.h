// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <sys/types.h>
#include <utility>

class QSocketNotifier;

namespace telvar {

// One-line questions between the program's own starts over a local socket that only its user may open: a
// listener that answers each line, and asking one. A plain Unix socket rather than Qt Network, which
// would load a network stack (and its Kerberos libraries) into every start just for this.
class LocalListener : public QObject {
    Q_OBJECT
public:
    // Answers one request line (without its line end) with one reply line.
    using Answer = std::function<QByteArray(const QByteArray& request)>;

    explicit LocalListener(Answer answer, QObject* parent = nullptr);
    ~LocalListener() override;

    // Listens at `path`, in place of any socket file left there by a program that died. False when the
    // socket cannot be made; `error` then says why.
    bool listen(const QString& path, QString* error);

    // A caller that connects and says nothing is dropped after this long, so it holds nothing up.
    void setPeerLimit(std::chrono::milliseconds limit) { m_peerLimit = limit; }

private:
    void accept();
    void closeAll();

    Answer m_answer;
    int m_socket = -1;
    QString m_path;
    std::pair<dev_t, ino_t> m_made{}; // the socket file this listener made
    QSocketNotifier* m_incoming = nullptr;
    std::chrono::milliseconds m_peerLimit{5000};
};

// Sends `request` and a line end to the listener at `path` and returns its reply line, or an empty one
// when nobody listens there or no whole line came within `limit`.
QByteArray askLocal(const QString& path, const QByteArray& request, std::chrono::milliseconds limit);

} // namespace telvar
