// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

namespace telvar {

// The window's settings (size, layout, the team journal): `settingsFile` when one is given (tests, a
// portable copy), else the user's own telvar.ini.
std::unique_ptr<QSettings> openProgramSettings(const QString& settingsFile);

} // namespace telvar
