// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "app/AppLog.h"
#include "app/LocalChannel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <optional>

namespace telvar {

namespace {

constexpr std::chrono::milliseconds kAnswerLimit{5000};

const QByteArray kRaiseDevice = QByteArrayLiteral("raise device");
const QByteArray kRaiseSimulate = QByteArrayLiteral("raise simulate");
// On the virtual Telvar X, whatever its state file: for a start that names no device among several.
const QByteArray kRaiseAnySimulate = QByteArrayLiteral("raise simulate-any");
// The answer of a copy on the virtual Telvar X whose state file is not the one asked for.
const QByteArray kStateAnswer = QByteArrayLiteral("state");

// Both starts may have been given the file relative to different folders.
QString absoluteFile(const QString& file) {
    if (file.isEmpty())
        return {};
    const QFileInfo info(file);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

// A file name on the one-line protocol: no blank, no line end.
QByteArray encoded(const QString& file) {
    return QUrl::toPercentEncoding(file);
}

QString decoded(const QByteArray& field) {
    return QUrl::fromPercentEncoding(field);
}

QString stateText(const QString& file) {
    return file.isEmpty() ? QStringLiteral("keeping its state in memory")
                          : QStringLiteral("keeping its state in %1").arg(file);
}

// "telvar" for the empty key, else "telvar-" and a digest of the key: a short name, since a socket's
// whole path must fit in about a hundred bytes, and a key may be a long file name.
QString instanceName(const QString& key) {
    if (key.isEmpty())
        return QStringLiteral("telvar");
    const QByteArray digest = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("telvar-") + QString::fromLatin1(digest.toHex().left(16));
}

// Whether a running copy holds the lock at `path`. Something that is no lock file holds nothing.
bool heldByOther(const QString& path) {
    ProcessLock lock(path);
    return lock.acquire(std::chrono::milliseconds(0)) == ProcessLock::Outcome::HeldByOther;
}

QString userName() {
    const QString name = qEnvironmentVariable("USER", qEnvironmentVariable("LOGNAME"));
    return name.isEmpty() ? QStringLiteral("user") : name;
}

} // namespace

SingleInstance::SingleInstance(bool simulate, const QString& stateFile, const QString& key, QObject* parent)
    : QObject(parent), m_simulate(simulate), m_stateFile(absoluteFile(stateFile)), m_folder(folder()),
      m_name(instanceName(key)), m_lock(QDir(m_folder).filePath(m_name + QStringLiteral(".lock"))) {}

SingleInstance::~SingleInstance() {
    // The socket goes while the lock is still held, so no later start can have put its own there.
    delete m_listener;
}

QString SingleInstance::folder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return runtime;
    // No runtime folder: one of our own in the temporary folder, so users still do not share a lock.
    const QString own = QDir::temp().filePath(QStringLiteral("telvar-") + userName());
    QDir().mkdir(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return own;
}

SingleInstance::Outcome SingleInstance::start(QString* message) {
    switch (m_lock.acquire(std::chrono::milliseconds(0))) {
    case ProcessLock::Outcome::Held:
        break;
    case ProcessLock::Outcome::HeldByOther:
        return ask(socketPath(), message);
    case ProcessLock::Outcome::NoLockFile:
    case ProcessLock::Outcome::NotALockFile:
        *message = m_lock.error();
        return Outcome::Refused;
    }
    // (We hold the lock, so a socket file left there belongs to a copy that died.)
    m_listener = new LocalListener([this](const QByteArray& line) { return answer(line); }, this);
    QString error;
    // Without the socket the program still runs; a second start then only hears that it is running.
    if (!m_listener->listen(socketPath(), &error))
        qCWarning(lcApp) << "later starts cannot reach this window:" << error;
    return Outcome::First;
}

QByteArray SingleInstance::answer(const QByteArray& line) {
    const QByteArray asked =
        line.startsWith(kRaiseSimulate + ' ') ? line.mid(kRaiseSimulate.size() + 1) : QByteArray();
    const bool anyState = line == kRaiseAnySimulate;
    const bool wantsSimulate = anyState || line == kRaiseSimulate || !asked.isEmpty();
    if (!wantsSimulate && line != kRaiseDevice)
        return "unknown";
    if (wantsSimulate != m_simulate)
        return m_simulate ? "simulate" : "device";
    // A start without a state file wants a device that forgets at the end, not this one's kept state: it
    // would take the file's device for a fresh one. (Compared now: the file this copy names may not have
    // existed when it started.)
    if (m_simulate && !anyState && absoluteFile(decoded(asked)) != absoluteFile(m_stateFile))
        return kStateAnswer + ' ' + encoded(m_stateFile);
    Q_EMIT raiseRequested();
    return "raised";
}

QString SingleInstance::socketPath() const {
    return QDir(m_folder).filePath(m_name + QStringLiteral(".socket"));
}

SingleInstance::Outcome SingleInstance::raiseAnyRunning(QString* message) {
    const QDir folder(m_folder);
    const QStringList sockets =
        folder.entryList({QStringLiteral("telvar*.socket")}, QDir::System | QDir::Files);
    // A window of another device that was started the other way must not hide one that fits.
    std::optional<QString> mismatch;
    for (const QString& socket : sockets) {
        // A socket left by a copy that died is passed over: its lock is free.
        if (!heldByOther(folder.filePath(socket.chopped(7) + QStringLiteral(".lock"))))
            continue;
        QString said;
        const Outcome outcome = ask(folder.filePath(socket), &said);
        if (outcome == Outcome::Raised) {
            *message = said;
            return outcome;
        }
        if (outcome == Outcome::Mismatch && !mismatch)
            mismatch = said;
    }
    if (!mismatch)
        return Outcome::First;
    *message = *mismatch;
    return Outcome::Mismatch;
}

int SingleInstance::otherWindows() const {
    const QDir folder(m_folder);
    int count = 0;
    for (const QString& socket :
         folder.entryList({QStringLiteral("telvar*.socket")}, QDir::System | QDir::Files)) {
        const QString name = socket.chopped(7);
        if (name == m_name)
            continue;
        // A socket left by a copy that died is no window: its lock is free.
        count += heldByOther(folder.filePath(name + QStringLiteral(".lock")));
    }
    return count;
}

bool SingleInstance::raiseHolder(bool simulate, const QString& key) {
    SingleInstance other(simulate, {}, key);
    // The key names the device already.
    other.m_anyStateFile = true;
    QString message;
    if (!heldByOther(other.m_lock.path()))
        return false;
    other.ask(other.socketPath(), &message);
    return true;
}

SingleInstance::Outcome SingleInstance::ask(const QString& socketPath, QString* message) {
    const QByteArray reply = askLocal(socketPath, request(), kAnswerLimit);
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
    if ((reply == kStateAnswer || reply.startsWith(kStateAnswer + ' ')) && m_stateFile.isEmpty()) {
        *message = QStringLiteral("The Telvar X program is already running with the virtual Telvar X %1; "
                                  "quit it first to use a virtual Telvar X that keeps its state in memory.")
                       .arg(stateText(decoded(reply.mid(kStateAnswer.size() + 1))));
        return Outcome::Mismatch;
    }
    if (reply == kStateAnswer || reply.startsWith(kStateAnswer + ' ')) {
        *message = QStringLiteral("The Telvar X program is already running with the virtual Telvar X %1; "
                                  "%2 was not used. Quit it first to use %2.")
                       .arg(stateText(decoded(reply.mid(kStateAnswer.size() + 1))), m_stateFile);
        return Outcome::Mismatch;
    }
    *message = QStringLiteral("The Telvar X program is already running.");
    return Outcome::NoAnswer;
}

QByteArray SingleInstance::request() const {
    if (!m_simulate)
        return kRaiseDevice;
    if (m_anyStateFile)
        return kRaiseAnySimulate;
    if (m_stateFile.isEmpty())
        return kRaiseSimulate;
    return kRaiseSimulate + ' ' + encoded(m_stateFile);
}

} // namespace telvar
