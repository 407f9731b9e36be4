// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/OwnFiles.h"

#include "files/FileIdentity.h"

#include <mutex>
#include <vector>

namespace telvar::ownfiles {

namespace {

struct Guarded {
    QString place; // where the file lies or would be made, links resolved (see fileidentity::placeOf)
    QString role;
};

std::mutex g_mutex;
std::vector<Guarded> g_files;

} // namespace

void guard(const QString& path, const QString& role) {
    if (path.isEmpty())
        return;
    std::lock_guard lock(g_mutex);
    g_files.push_back({fileidentity::placeOf(path), role});
}

QStringList rolesOf(const QString& target) {
    const auto id = fileidentity::idOf(target);
    const QString place = fileidentity::placeOf(target);
    QStringList roles;
    std::lock_guard lock(g_mutex);
    for (const Guarded& file : g_files) {
        // The guarded file is looked at now: the program replaces its files by renames, so the inode it
        // had when guarded is long gone, while its place stays.
        const auto guardedId = fileidentity::idOf(file.place);
        const bool same = id && guardedId ? *id == *guardedId : place == file.place;
        if (same && !roles.contains(file.role))
            roles << file.role;
    }
    return roles;
}

QString roleOf(const QString& target) {
    return rolesOf(target).value(0);
}

void clear() {
    std::lock_guard lock(g_mutex);
    g_files.clear();
}

} // namespace telvar::ownfiles
