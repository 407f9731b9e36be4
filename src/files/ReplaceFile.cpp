#include "files/ReplaceFile.h"

#include "files/RegularFileCheck.h"

#include <QDir>
#include <QSaveFile>

namespace telvar {

bool replaceFile(const QString& path, const QByteArray& data, QString* error) {
    if (!mayReplace(path, error))
        return false;
    // QSaveFile follows symbolic links itself and renames over the file at their end.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

} // namespace telvar
