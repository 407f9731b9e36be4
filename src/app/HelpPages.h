// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QUrl>

#include <array>

namespace telvar {

// The program's own help pages (docs/), compiled in, one per button of the Help screen.
namespace HelpPages {

struct Page {
    const char* caption;
    const char* fileName;
};

inline constexpr std::array<Page, 8> kPages{{
    {"Getting Started", "getting-started.html"},
    {"Connecting the Telvar X", "connecting.html"},
    {"ITC Sessions", "itc-session.html"},
    {"Word Lists", "word-list.html"},
    {"Word Editor", "word-editor.html"},
    {"Settings", "settings.html"},
    {"Virtual Telvar X", "virtual-device.html"},
    {"Troubleshooting", "troubleshooting.html"},
}};

// The resource folder that holds the pages and their style sheet.
QString resourceFolder();

// The page's address among the program's resources.
QUrl url(const Page& page);

// Copies every page and its style sheet into `folder`, so a browser can follow the links between them.
// False with *error set when a file could not be written.
bool extractTo(const QString& folder, QString* error);

} // namespace HelpPages

} // namespace telvar
