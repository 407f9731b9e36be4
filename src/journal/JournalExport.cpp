// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace telvar::journalexport {

namespace {

const QByteArray kTraceHeader = "ms,reading1,reading2,reading3,index,word,shown";

// A spreadsheet runs a cell that begins like a formula; a quote mark before it keeps it text, as the
// common advice against formula injection has it.
bool looksLikeFormula(const QString& text) {
    return !text.isEmpty() && QStringLiteral("=+-@\t\r").contains(text.front());
}

// Quoted only when it has to be: a word holding a comma, a quote or a line break.
QByteArray csvField(const QString& text) {
    QByteArray field = (looksLikeFormula(text) ? QStringLiteral("'") + text : text).toUtf8();
    if (!field.contains(',') && !field.contains('"') && !field.contains('\n') && !field.contains('\r'))
        return field;
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

void appendRow(QByteArray& csv, const SessionPoll& poll) {
    csv += QByteArray::number(poll.ms) + ',' + QByteArray::number(poll.readings[0]) + ',' +
           QByteArray::number(poll.readings[1]) + ',' + QByteArray::number(poll.readings[2]) + ',' +
           QByteArray::number(poll.index) + ',' + csvField(poll.word) + ',' + (poll.shown() ? '1' : '0') +
           '\n';
}

} // namespace

QByteArray traceCsv(const std::vector<SessionPoll>& polls) {
    QByteArray csv = kTraceHeader + '\n';
    for (const SessionPoll& poll : polls)
        appendRow(csv, poll);
    return csv;
}

QByteArray pollsCsv(const std::vector<JournalSession>& sessions) {
    QByteArray csv = "id,device," + kTraceHeader + '\n';
    for (const JournalSession& session : sessions) {
        const QByteArray id = QByteArray::number(session.id) + ',' + csvField(session.device) + ',';
        for (const SessionPoll& poll : session.polls) {
            csv += id;
            appendRow(csv, poll);
        }
    }
    return csv;
}

QByteArray sessionsJson(const std::vector<JournalSession>& sessions) {
    QJsonArray all;
    for (const JournalSession& session : sessions) {
        QJsonArray words;
        for (const SessionWord& word : session.words)
            words.append(QJsonObject{{"ms", word.ms}, {"index", word.index}, {"word", word.word}});
        QJsonArray polls;
        for (const SessionPoll& poll : session.polls) {
            polls.append(
                QJsonObject{{"ms", poll.ms},
                            {"readings", QJsonArray{poll.readings[0], poll.readings[1], poll.readings[2]}},
                            {"index", poll.index},
                            {"shown", poll.shown()}});
        }
        all.append(QJsonObject{{"id", session.id},
                               {"started", session.started},
                               {"window", session.window},
                               {"question", session.question},
                               {"answer", session.answer},
                               {"end", session.end},
                               {"device", session.device},
                               {"operator", session.operatorName},
                               {"words", words},
                               {"polls", polls}});
    }
    return QJsonDocument(all).toJson(QJsonDocument::Indented);
}

} // namespace telvar::journalexport
