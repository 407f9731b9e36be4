// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/TeamJournalTrouble.h"

#include <QRegularExpression>
#include <QStringList>

namespace telvar {

namespace {

struct Trouble {
    const char* pattern; // a regular expression, matched case-insensitively
    const char* said;
};

// The first that matches wins: a refused password also names the host, a lost connection the server.
const Trouble kTroubles[] = {
    {"driver of Qt is not installed", "unusable: the PostgreSQL driver is not installed"},
    {"could not translate host name", "unreachable: host not found"},
    {"password authentication failed", "unreachable: wrong password"},
    {"no password supplied", "unreachable: no password in ~/.pgpass or PGPASSWORD"},
    {"no pg_hba\\.conf entry|pg_hba\\.conf rejects", "unreachable: server refused this computer"},
    {"connection refused", "unreachable: server refused"},
    {"no such file or directory", "unreachable: no server at the socket"},
    {"timeout expired|timed out", "unreachable: server not answering"},
    {"network is unreachable|no route to host", "unreachable: network unreachable"},
    {"database \".*\" does not exist", "unreachable: no such database"},
    {"role \".*\" does not exist", "unreachable: no such user"},
    {"server does not support ssl", "unreachable: server offers no TLS"},
    {"certificate", "unreachable: certificate not trusted"},
    {"starting up|shutting down|in recovery", "unreachable: server starting or stopping"},
    {"too many clients|connection slots", "unreachable: server full"},
    {"newer version of this program", "refused: its tables are newer than this program"},
    {"permission denied", "refused: permission denied"},
    {"terminating connection|server closed the connection|no connection to the server|connection.*lost",
     "push cut off: connection lost"},
    {"session journal", "waiting: this computer's journal could not be read"},
};

} // namespace

QString teamJournalTrouble(const QString& error) {
    for (const Trouble& trouble : kTroubles) {
        const QRegularExpression pattern(QString::fromLatin1(trouble.pattern),
                                         QRegularExpression::CaseInsensitiveOption);
        if (error.contains(pattern))
            return QString::fromLatin1(trouble.said);
    }
    return QStringLiteral("failed: see the details");
}

QString teamJournalFailure(const TeamJournalAddress& address, const QString& error) {
    return QStringLiteral("team journal %1 %2 (%3)")
        .arg(address.shown(), teamJournalTrouble(error), oneLine(error));
}

QString oneLine(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    return lines.join(QStringLiteral("; "));
}

} // namespace telvar
