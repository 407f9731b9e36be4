// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PronouncingSources.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace telvar::pronounce {

PronouncingSources PronouncingSources::fromEnvironment() {
    PronouncingSources sources{QString::fromLatin1(kDefaultDictionary), QString::fromLatin1(kDefaultProgram),
                               QStandardPaths::writableLocation(QStandardPaths::CacheLocation)};
    if (qEnvironmentVariableIsSet("TELVAR_CMUDICT"))
        sources.dictionaryPath = qEnvironmentVariable("TELVAR_CMUDICT");
    // The same variable as the preview's, so one setting moves every use of espeak-ng.
    if (const QString chosen = qEnvironmentVariable("TELVAR_ESPEAK"); !chosen.isEmpty())
        sources.espeakProgram = chosen;
    return sources;
}

bool PronouncingSources::hasDictionary() const {
    return !dictionaryPath.isEmpty() && QFileInfo(dictionaryPath).isReadable();
}

bool PronouncingSources::hasFallback() const {
    return !espeakProgram.isEmpty() && !QStandardPaths::findExecutable(espeakProgram).isEmpty();
}

QString PronouncingSources::missingHint() const {
    QStringList missing;
    if (!hasDictionary())
        missing << QStringLiteral("pocketsphinx-en-us (the pronouncing dictionary, %1)").arg(dictionaryPath);
    if (!hasFallback())
        missing << QStringLiteral("espeak-ng (for words the dictionary lacks)");
    if (missing.isEmpty())
        return {};
    return QStringLiteral("Install %1").arg(missing.join(QStringLiteral(" and ")));
}

} // namespace telvar::pronounce
