// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace telvar::test {

// The child of a window by its objectName; a test that names a control the window lacks stops at once.
template <typename T> T* childOf(const QObject* parent, const char* name) {
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

} // namespace telvar::test
