#pragma once

#include <QString>
#include <QUrl>

#include <array>

namespace telvar {

// The program's own help pages (docs/), one per button of the Help screen.
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

// Where the install puts the pages, for a program in `programDir`.
QString installedFolder(const QString& programDir);

// The folder holding the pages: the installed copy beside the program, else the source tree's docs/
// (a program run from its build folder). Empty when neither holds them.
QString folder(const QString& programDir);

// The page's file URL in `folder`.
QUrl url(const QString& folder, const Page& page);

} // namespace HelpPages

} // namespace telvar
