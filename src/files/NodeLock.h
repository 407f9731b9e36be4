// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// An exclusive flock on a device node, taken without waiting through a descriptor of its own. A lock file
// in the user's runtime folder meets only that user's programs; this lock on the node itself keeps out
// every program of every user, root included. The kernel lets go when the descriptor closes, so a
// program that dies holds nothing.
class NodeLock {
public:
    enum class Outcome {
        Held,        // this lock holds the node now
        HeldByOther, // another descriptor holds it; holder() says whose, as far as the system tells
        Failed,      // the node cannot be opened; error() says why
    };

    explicit NodeLock(const QString& nodePath);
    ~NodeLock();
    NodeLock(const NodeLock&) = delete;
    NodeLock& operator=(const NodeLock&) = delete;

    Outcome acquire();
    void release();
    bool isHeld() const { return m_fd >= 0; }

    // Who held the node at the last acquire: "PROGRAM (process N)" from the system's lock table, or
    // "another program" when it does not say.
    QString holder() const { return m_holder; }
    QString error() const { return m_error; }
    // The errno of the failed open, 0 when there was none.
    int openError() const { return m_openError; }

private:
    QString m_path;
    int m_fd = -1;
    QString m_holder;
    QString m_error;
    int m_openError = 0;
};

} // namespace telvar
