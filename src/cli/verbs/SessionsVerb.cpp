// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/OutputFile.h"
#include "cli/TeamPush.h"
#include "cli/Verb.h"
#include "commandline/OptionParser.h"
#include "device/Prompter.h"
#include "journal/JournalExport.h"
#include "journal/JournalStore.h"
#include "journal/SessionReport.h"
#include "journal/TeamJournal.h"
#include "journal/TeamJournalTrouble.h"

#include <optional>

namespace telvar::cli {

namespace {

const QString kVerb = QStringLiteral("sessions");

// A question or answer on one line of a tab-separated listing. Line breaks and tabs become blanks; any
// other control character is written as \xHH, so that no text typed into a question can drive the
// terminal that shows the listing.
QString oneField(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    QString field;
    field.reserve(text.size());
    for (const QChar c : std::as_const(text)) {
        if (c == u'\r' || c == u'\n' || c == u'\t')
            field += u' ';
        else if (c.category() == QChar::Other_Control)
            field += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            field += c;
    }
    return field;
}

std::optional<QList<qint64>> parseIds(const QStringList& words, QString* bad) {
    QList<qint64> ids;
    for (const QString& word : words) {
        bool ok = false;
        const qint64 id = word.toLongLong(&ok);
        if (!ok || id < 1 || word.startsWith(u'+')) {
            *bad = word;
            return std::nullopt;
        }
        ids << id;
    }
    return ids;
}

// The ids asked for that the journal does not hold, as a failure on stderr; false when there are any.
bool allFound(CliContext& context, const QList<qint64>& asked, const std::vector<JournalSession>& found) {
    QStringList missing;
    for (const qint64 id : asked) {
        if (std::none_of(found.begin(), found.end(), [id](const JournalSession& s) { return s.id == id; }))
            missing << QString::number(id);
    }
    if (!missing.isEmpty())
        context.fail(QStringLiteral("no session %1 in the journal").arg(missing.join(QStringLiteral(", "))));
    return missing.isEmpty();
}

template <typename Journal> int list(CliContext& context, Journal& journal) {
    const std::vector<JournalSession> sessions = journal.list();
    if (!journal.errorString().isEmpty())
        return context.fail(QStringLiteral("the journal could not be read: %1").arg(journal.errorString()));
    for (const JournalSession& s : sessions) {
        context.out() << s.id << '\t' << s.started << '\t' << s.window << '\t' << oneField(s.question) << '\t'
                      << oneField(s.answer) << '\t' << s.device << '\t' << s.end << '\n';
    }
    context.out().flush();
    return kExitOk;
}

template <typename Journal>
std::optional<std::vector<JournalSession>> readSessions(CliContext& context, Journal& journal,
                                                        const QList<qint64>& ids) {
    auto sessions = journal.read(ids);
    if (!sessions) {
        context.fail(QStringLiteral("the journal could not be read: %1").arg(journal.errorString()));
        return std::nullopt;
    }
    if (!allFound(context, ids, *sessions))
        return std::nullopt;
    return sessions;
}

template <typename Journal> int show(CliContext& context, Journal& journal, const QStringList& words) {
    QString bad;
    const auto ids = parseIds(words, &bad);
    if (!ids || ids->size() != 1)
        return context.usageError(kVerb, QStringLiteral("show takes one session id"));
    const auto sessions = readSessions(context, journal, *ids);
    if (!sessions)
        return kExitFailure;
    return writeOutput(context, QStringLiteral("-"), journalexport::traceCsv(sessions->front().polls))
               ? kExitOk
               : kExitFailure;
}

template <typename Journal>
int exportSessions(CliContext& context, Journal& journal, const QStringList& words) {
    OptionParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("format"), QString(), QStringLiteral("FORMAT")));
    parser.addOption(QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                        QStringLiteral("FILE")));
    if (const QString error = parser.parse(words); !error.isEmpty())
        return context.usageError(kVerb, error);
    const QString format = parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format"))
                                                                  : QStringLiteral("json");
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return context.usageError(kVerb, QStringLiteral("the format is json or csv"));
    const QString target =
        parser.isSet(QStringLiteral("o")) ? parser.value(QStringLiteral("o")) : QStringLiteral("-");
    if (target.isEmpty())
        return context.usageError(kVerb, QStringLiteral("-o needs a file name, or - for stdout"));
    QString bad;
    const auto ids = parseIds(parser.positionalArguments(), &bad);
    if (!ids)
        return context.usageError(kVerb, QStringLiteral("\"%1\" is not a session id").arg(bad));
    const auto sessions = readSessions(context, journal, *ids);
    if (!sessions)
        return kExitFailure;
    const QByteArray bytes = format == QLatin1String("csv") ? journalexport::pollsCsv(*sessions)
                                                            : journalexport::sessionsJson(*sessions);
    return writeOutput(context, target, bytes) ? kExitOk : kExitFailure;
}

template <typename Journal> int report(CliContext& context, Journal& journal, const QStringList& words) {
    OptionParser parser;
    parser.addOption(QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                        QStringLiteral("FILE")));
    if (const QString error = parser.parse(words); !error.isEmpty())
        return context.usageError(kVerb, error);
    const QString target = parser.value(QStringLiteral("o"));
    if (target.isEmpty())
        return context.usageError(kVerb, QStringLiteral("report needs -o FILE, a .pdf, .svg or .png file"));
    const auto format = sessionreport::formatOf(target);
    if (!format)
        return context.usageError(kVerb,
                                  QStringLiteral("%1: a report is a .pdf, .svg or .png file").arg(target));
    QString bad;
    const auto ids = parseIds(parser.positionalArguments(), &bad);
    if (!ids)
        return context.usageError(kVerb, QStringLiteral("\"%1\" is not a session id").arg(bad));
    if (ids->isEmpty())
        return context.usageError(kVerb, QStringLiteral("report takes the ids of the sessions to draw"));
    auto sessions = readSessions(context, journal, *ids);
    if (!sessions)
        return kExitFailure;
    // In the order asked for, which is the order of the pages.
    std::vector<JournalSession> ordered;
    for (const qint64 id : *ids) {
        for (const JournalSession& session : *sessions) {
            if (session.id == id)
                ordered.push_back(session);
        }
    }
    const QByteArray bytes = sessionreport::render(ordered, *format);
    if (bytes.isEmpty())
        return context.fail(QStringLiteral("%1: the report could not be drawn").arg(target));
    return writeOutput(context, target, bytes) ? kExitOk : kExitFailure;
}

QCoro::Task<int> remove(CliContext& context, JournalStore& journal, const QStringList& words) {
    QString bad;
    const auto ids = parseIds(words, &bad);
    if (!ids)
        co_return context.usageError(kVerb, QStringLiteral("\"%1\" is not a session id").arg(bad));
    if (ids->isEmpty())
        co_return context.usageError(kVerb, QStringLiteral("delete takes the ids of the sessions to delete"));
    const auto sessions = journal.list();
    if (!journal.errorString().isEmpty())
        co_return context.fail(
            QStringLiteral("the journal could not be read: %1").arg(journal.errorString()));
    if (!allFound(context, *ids, sessions))
        co_return kExitFailure;
    // Asked before the question, and asked again by the delete itself: a session may begin meanwhile.
    const auto running = journal.runningAmong(*ids);
    if (!running)
        co_return context.fail(QStringLiteral("nothing was deleted: %1").arg(journal.errorString()));
    if (!running->isEmpty()) {
        QStringList named;
        for (const qint64 id : *running)
            named << QStringLiteral("session %1 is still running").arg(id);
        co_return context.fail(named.join(QStringLiteral("; ")) + QStringLiteral("; nothing was deleted"));
    }
    const QString question = ids->size() == 1
                                 ? QStringLiteral("Delete session %1 from the journal?").arg(ids->first())
                                 : QStringLiteral("Delete %1 sessions from the journal?").arg(ids->size());
    if (!co_await context.prompter().askYesNo(question))
        co_return context.fail(QStringLiteral("nothing was deleted"));
    if (!journal.remove(*ids))
        co_return context.fail(
            QStringLiteral("the sessions could not be deleted: %1").arg(journal.errorString()));
    co_return kExitOk;
}

QCoro::Task<int> push(CliContext& context) {
    const TeamPushResult pushed = co_await pushToTeam(context);
    const TeamJournalAddress& server = *context.options().teamJournal;
    if (!pushed.error.isEmpty())
        co_return context.fail(QStringLiteral("%1; %2 session(s) wait on this computer")
                                   .arg(teamJournalFailure(server, pushed.error))
                                   .arg(pushed.waiting));
    context.out() << pushed.pushed << (pushed.pushed == 1 ? " session" : " sessions") << " pushed to "
                  << server.shown();
    // Another copy of this journal pushed them first: they count as there, not as pushed again.
    if (pushed.alreadyThere > 0)
        context.out() << ", " << pushed.alreadyThere << " already there";
    context.out() << Qt::endl;
    co_return kExitOk;
}

template <typename Journal>
QCoro::Task<int> readOnly(CliContext& context, Journal& journal, const QString& action,
                          const QStringList& words) {
    if (action == QLatin1String("show"))
        co_return show(context, journal, words);
    if (action == QLatin1String("export"))
        co_return exportSessions(context, journal, words);
    if (action == QLatin1String("report"))
        co_return report(context, journal, words);
    co_return list(context, journal);
}

} // namespace

Verb sessionsVerb() {
    return {
        kVerb,
        QStringLiteral("list, show, export, draw or delete the sessions kept in the journal"),
        QStringLiteral("Usage: telvarctl sessions\n"
                       "       telvarctl sessions show ID\n"
                       "       telvarctl sessions export [--format json|csv] [-o FILE] [ID...]\n"
                       "       telvarctl sessions report ID... -o FILE\n"
                       "       telvarctl sessions delete ID... [--yes]\n"
                       "       telvarctl sessions push\n"
                       "       telvarctl sessions --team [show ID | export ... | report ...]\n"
                       "Every question asked is kept in the session journal (sessions.db in the user's data\n"
                       "folder, or the file --journal names) with its sensor readings and words.\n"
                       "Without more words, one line per session, oldest first:\n"
                       "  ID<TAB>STARTED<TAB>WINDOW<TAB>QUESTION<TAB>ANSWER<TAB>DEVICE<TAB>END\n"
                       "DEVICE is the serial number of the Telvar X asked (empty for a session kept before\n"
                       "the journal knew devices). END is how the session ended: window ended, device gone,\n"
                       "program closed, interrupted, readings missing when some of its readings could not\n"
                       "be written, or running while a program still asks it. A session's ID is never\n"
                       "given to another.\n"
                       "show prints one session's readings as ask --trace writes them. export writes the\n"
                       "sessions named (all when none is) as JSON, with their device, operator (user@host),\n"
                       "words and readings, or as CSV, the readings of every session led by its id and\n"
                       "device; to stdout unless -o names a file.\n"
                       "report draws the sessions named, one page each, with the question, the answer, the\n"
                       "device, the trace of the readings with every word marked, and the table of the\n"
                       "words; FILE's extension chooses PDF (a page per session), SVG or PNG (the pages one\n"
                       "below another).\n"
                       "delete asks first; --yes deletes at once. A session that a program is still\n"
                       "recording is not deleted, nor is any other named with it (exit status 1).\n"
                       "push and --team need the global option --team-journal URL.\n"
                       "push copies the finished sessions that have not gone yet to the team journal and\n"
                       "says how many went; exit status 1, with the sessions kept here, when the server\n"
                       "cannot be reached or refuses. With --team, the listing, show, export and report\n"
                       "read the team journal instead, in the same columns; its IDs number the sessions\n"
                       "in the order they arrived there.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const bool team = arguments.removeAll(QStringLiteral("--team")) > 0;
            const QString action = arguments.isEmpty() ? QString() : arguments.takeFirst();
            if (!action.isEmpty() && action != QLatin1String("show") && action != QLatin1String("export") &&
                action != QLatin1String("report") && action != QLatin1String("delete") &&
                action != QLatin1String("push"))
                co_return context.usageError(kVerb, QStringLiteral("unknown action %1").arg(action));
            if ((action.isEmpty() || action == QLatin1String("push")) && !arguments.isEmpty())
                co_return context.usageError(kVerb, QStringLiteral("unexpected %1").arg(arguments.first()));
            if ((team || action == QLatin1String("push")) && !context.options().teamJournal)
                co_return context.usageError(kVerb, QStringLiteral("%1 needs --team-journal URL")
                                                        .arg(team ? QStringLiteral("--team") : action));
            if (team && (action == QLatin1String("delete") || action == QLatin1String("push")))
                co_return context.usageError(
                    kVerb,
                    QStringLiteral("%1 works on this computer's journal, not with --team").arg(action));
            if (action == QLatin1String("push"))
                co_return co_await push(context);
            if (team) {
                TeamJournal journal;
                if (!journal.open(*context.options().teamJournal))
                    co_return context.fail(
                        teamJournalFailure(*context.options().teamJournal, journal.errorString()));
                co_return co_await readOnly(context, journal, action, arguments);
            }
            // Opened to read: listing and exporting never make, change or rename a journal file.
            JournalStore journal;
            if (!journal.openToRead(context.journalPath()))
                co_return context.fail(QStringLiteral("the session journal %1 cannot be used (%2)")
                                           .arg(context.journalPath(), journal.errorString()));
            if (action == QLatin1String("delete"))
                co_return co_await remove(context, journal, arguments);
            co_return co_await readOnly(context, journal, action, arguments);
        },
    };
}

} // namespace telvar::cli
