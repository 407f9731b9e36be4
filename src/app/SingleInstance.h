// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/ProcessLock.h"

#include <QObject>
#include <QString>

namespace telvar {

class LocalListener;

// One telvar window per device and user: a second copy would fight the first over the device and the
// word-list files. The first start for a device holds a lock in the user's runtime folder and listens
// beside it; a later start for the same device hands its wish over (bring the window forward, with or
// without the virtual Telvar X, on which state file) and leaves. The key names the device when several are
// attached; with one (or none) it is empty, and so is the same for every start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `simulate`: whether this start uses the virtual Telvar X; `stateFile`: the file its state is kept in
    // (empty: none, the state lives in memory). A later start asking otherwise is told so.
    explicit SingleInstance(bool simulate, const QString& stateFile = {}, const QString& key = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Outcome {
        First,    // this start holds the lock and listens
        Raised,   // the running copy brings its window forward
        Mismatch, // the running copy was started the other way (with or without --simulate, another
                  // state file)
        NoAnswer, // another copy holds the lock but did not answer
        Refused,  // the lock cannot be taken: something that is no lock file lies in its place, or the
                  // folder takes no file; the message says what
    };
    // Takes the lock, or asks the copy that holds it to come forward. `message` says what happened to a
    // start that is not the first.
    Outcome start(QString* message);
    // For a start that names no device: asks whichever window runs, for any device, to come forward.
    // First when none answers (this start may then take a device of its own); nothing is locked.
    Outcome raiseAnyRunning(QString* message);
    // A start among several virtual devices, which names no state file, takes whichever window runs on
    // any of them.
    void acceptAnyStateFile() { m_anyStateFile = true; }
    // How many windows of other devices run now, besides this one's.
    int otherWindows() const;
    // Whether a window holds the device with this key; if so it is asked to come forward.
    static bool raiseHolder(bool simulate, const QString& key);

    // Where the lock and the socket lie: the runtime folder, else the temporary folder (per user name).
    static QString folder();

Q_SIGNALS:
    // A later start asked for the window.
    void raiseRequested();

private:
    // The reply to a later start's request.
    QByteArray answer(const QByteArray& line);
    Outcome ask(const QString& socketPath, QString* message);
    QString socketPath() const;

    QByteArray request() const;

    bool m_simulate;
    QString m_stateFile; // absolute
    bool m_anyStateFile = false;
    QString m_folder;
    QString m_name; // of the lock and the socket, without the ending
    // The kernel's lock, as every lock of the program: a copy that dies lets go, and a FIFO, folder,
    // socket or link in its place is refused, never waited on, taken for a running copy or removed.
    ProcessLock m_lock;
    LocalListener* m_listener = nullptr;
};

} // namespace telvar
