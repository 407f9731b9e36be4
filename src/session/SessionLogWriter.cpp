// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionLogWriter.h"

#include "files/AppendFile.h"
#include "vocab/Cp1252.h"

#include <cerrno>
#include <cstring>

#include <sys/file.h>
#include <unistd.h>

namespace telvar {

SessionLogWriter::SessionLogWriter(QString path, Clock clock, QLocale locale)
    : m_path(std::move(path)), m_clock(std::move(clock)), m_locale(std::move(locale)) {}

void SessionLogWriter::setPath(const QString& path) {
    m_file.close();
    m_path = path;
}

bool SessionLogWriter::writeQuestion(const QString& question) {
    return append(QStringLiteral("USER: ") + trimBlanks(question) + stamp());
}

QString SessionLogWriter::withoutTimeZone(const QString& timeFormat) {
    QString format;
    bool quoted = false;
    for (qsizetype i = 0; i < timeFormat.size(); ++i) {
        const QChar c = timeFormat[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            format += c;
            continue;
        }
        // The zone and the blank that parts it from the time.
        while (i + 1 < timeFormat.size() && timeFormat[i + 1] == u't')
            ++i;
        while (!format.isEmpty() && format.back().isSpace())
            format.chop(1);
        while (format.isEmpty() && i + 1 < timeFormat.size() && timeFormat[i + 1].isSpace())
            ++i;
    }
    return format;
}

bool SessionLogWriter::writeAnswerAndClose(const QString& answer) {
    const bool written = append(QStringLiteral("Telvar X  :") + answer + QStringLiteral("  ") + stamp());
    m_file.close();
    return written;
}

QString SessionLogWriter::trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.sliced(first, last - first);
}

bool SessionLogWriter::append(const QString& entry) {
    // Clear Log may delete the file while a session holds it open; on this platform that would send the
    // rest of the session into a file nobody can see, so a vanished file is created afresh.
    if (m_file.isOpen() && !QFile::exists(m_path))
        m_file.close();
    if (!m_file.isOpen()) {
        if (QString reason; !openRegularForAppend(m_file, m_path, &reason)) {
            m_error = QStringLiteral("%1: %2").arg(m_path, reason);
            return false;
        }
        // Held shared while the session keeps the log open, so that Clear Log, here or in another
        // program, refuses to erase it under the session. A log that cannot be locked (a file system
        // without flock) is written all the same.
        ::flock(m_file.handle(), LOCK_SH | LOCK_NB);
    }
    // The entry's own line end, then the empty line that separates entries.
    const QByteArray bytes = cp1252::encode(entry) + QByteArrayLiteral("\r\n\r\n");
    // The entry goes in one write, whole or not at all: a torn one on a full disk would run into the
    // next entry. QFile's buffer would split it and forget the disk's reason, so the descriptor is used.
    const int fd = m_file.handle();
    const off_t end = ::lseek(fd, 0, SEEK_END);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written > 0) {
            done += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        // A short write says nothing; the write after it names the fault.
        const int code = written < 0 ? errno : EIO;
        if (done > 0 && end >= 0) {
            [[maybe_unused]] const int cut = ::ftruncate(fd, end);
        }
        m_error = QString::fromLocal8Bit(std::strerror(code));
        m_file.close();
        return false;
    }
    return true;
}

QString SessionLogWriter::stamp() const {
    const QDateTime now = m_clock();
    return m_locale.toString(now.date(), QLocale::ShortFormat) +
           m_locale.toString(now, withoutTimeZone(m_locale.timeFormat(QLocale::LongFormat)));
}

} // namespace telvar
