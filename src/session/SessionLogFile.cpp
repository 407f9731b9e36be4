#include "session/SessionLogFile.h"

#include "vocab/Cp1252.h"
#include "vocab/LineFile.h"

#include <QFile>

namespace telvar {

std::optional<QStringList> SessionLogFile::readLines() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;

    // The log's lines end like those of the word-list files.
    QStringList lines;
    for (const QByteArray& line : LineFile::split(bytes))
        lines << cp1252::decode(line);
    return lines;
}

SessionLogFile::EraseResult SessionLogFile::erase(QString* error) const {
    QFile file(m_path);
    if (!file.exists())
        return EraseResult::Missing;
    if (file.remove())
        return EraseResult::Erased;
    if (error)
        *error = file.errorString();
    return EraseResult::Failed;
}

} // namespace telvar
