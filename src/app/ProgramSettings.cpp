// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramSettings.h"

#include <QFile>

namespace telvar {

namespace {

// The settings name the team journal's server and user, which are nobody else's business on a shared
// computer: the file is the user's alone, whatever the umask, and one an older version left readable to
// all is closed at the next start.
class PrivateSettings : public QSettings {
public:
    using QSettings::QSettings;
    ~PrivateSettings() override {
        sync();
        keepPrivate();
    }
    void keepPrivate() const {
        const QString file = fileName();
        const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
        if (QFile::exists(file) && (QFile::permissions(file) & others))
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }
};

} // namespace

std::unique_ptr<QSettings> openProgramSettings(const QString& settingsFile) {
    auto settings =
        settingsFile.isEmpty()
            ? std::make_unique<PrivateSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                QStringLiteral("telvar"), QStringLiteral("telvar"))
            : std::make_unique<PrivateSettings>(settingsFile, QSettings::IniFormat);
    settings->keepPrivate();
    return settings;
}

} // namespace telvar
