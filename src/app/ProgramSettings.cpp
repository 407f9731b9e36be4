// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramSettings.h"

namespace telvar {

std::unique_ptr<QSettings> openProgramSettings(const QString& settingsFile) {
    if (settingsFile.isEmpty())
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("telvar"),
                                           QStringLiteral("telvar"));
    return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
}

} // namespace telvar
