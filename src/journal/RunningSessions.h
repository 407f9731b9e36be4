// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <set>

namespace telvar {

// Which sessions of a journal a live program is recording. A recorder holds a lock on byte N of a file
// beside the journal for session N, from its beginning until its last batch is written; a row without an
// end is not enough to tell, since a program that was killed leaves one that nobody holds. The locks are
// open-file-description locks: they go with the recorder's descriptor, so one that dies lets go, another
// descriptor of the file closed in its process does not, and a check from the recorder's own process (the
// window beside the session it records) sees them. Where the system has none, POSIX record locks stand in;
// a check from another process of the recorder's sees nothing there, so this holder adds its own. The file
// is only ever a regular file, made readable by its owner only: anything else at the path is refused,
// never opened for writing, never unlinked. One holder serves one thread.
class RunningSessions {
public:
    RunningSessions() = default;
    ~RunningSessions();
    RunningSessions(const RunningSessions&) = delete;
    RunningSessions& operator=(const RunningSessions&) = delete;

    // The file of the locks; a new path lets go of whatever was held at the old one.
    void setPath(const QString& path);
    // Holds session `id` as running; false with error() when the file cannot be had, or another program
    // holds that number.
    bool hold(qint64 id);
    void release(qint64 id);
    // The ids among `ids` that any recorder holds, this one included, in the order given; nullopt with
    // error() when that cannot be told. An absent file holds none.
    std::optional<QList<qint64>> heldAmong(const QList<qint64>& ids);
    QString error() const { return m_error; }

private:
    bool openToHold();

    QString m_path;
    int m_fd = -1; // the recorder's own, open while this holder has held anything
    std::set<qint64> m_held;
    QString m_error;
};

} // namespace telvar
