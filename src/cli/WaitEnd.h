// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

namespace telvar::cli {

// A signal to await that several others can give: the awaited event, a time limit or an interrupt,
// whichever comes first, ends one wait.
class WaitEnd : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void ended();
};

} // namespace telvar::cli
