#include "session/SessionLogFile.h"

#include "vocab/Cp1252.h"

#include <QFile>

namespace telvar {

std::optional<QStringList> SessionLogFile::readLines() const {
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;

    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\r', start);
        if (end < 0)
            end = bytes.size();
        lines << cp1252::decode(QByteArrayView(bytes).sliced(start, end - start));
        start = end + 1;
        if (start < bytes.size() && bytes[start] == '\n')
            ++start;
    }
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
