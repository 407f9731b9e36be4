// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/OutputFile.h"
#include "cli/TeamPush.h"
#include "cli/Verb.h"
#include "cli/verbs/AskSeveral.h"
#include "commandline/OptionParser.h"
#include "device/DeviceLink.h"
#include "files/OutputTarget.h"
#include "journal/JournalExport.h"
#include "journal/JournalStore.h"
#include "journal/SessionJournal.h"
#include "session/SessionController.h"

#include <QCoro/QCoroSignal>

#include <optional>

namespace telvar::cli {

namespace {

std::optional<ResponseWindow> parseWindow(const QString& seconds) {
    for (const ResponseWindow window :
         {ResponseWindow::Seconds6, ResponseWindow::Seconds12, ResponseWindow::Seconds24}) {
        if (seconds == QString::number(static_cast<int>(window)))
            return window;
    }
    return std::nullopt;
}

} // namespace

Verb askVerb() {
    return {
        QStringLiteral("ask"),
        QStringLiteral("ask a question and print the words the device answers with"),
        QStringLiteral(
            "Usage: telvarctl ask QUESTION [--window 6|12|24] [--trace FILE.csv]\n"
            "       telvarctl ask QUESTION --device A --device B ... | --all-devices [--window 6|12|24]\n"
            "Asks QUESTION as the ITC screen does: the question goes into log.qnx of the current\n"
            "folder, then for the response window (12 seconds unless --window says otherwise) the\n"
            "device's sensor is polled and every new word it points at is spoken and added to the\n"
            "answer. When the window closes the answer is logged and printed as the last line:\n"
            "  Telvar X  : WORD WORD ...\n"
            "The session, with every sensor reading and word, is kept in the session journal (see\n"
            "telvarctl sessions). --trace writes the readings to FILE.csv as well (- for stdout), one\n"
            "row per reading: ms,reading1,reading2,reading3,index,word,shown\n"
            "Exit status 1 when the device is missing, stops answering or leaves, or when --journal\n"
            "names a file that is no session journal (nothing is asked then). A log or journal that\n"
            "cannot be written is reported on stderr; the answer is printed all the same.\n"
            "With several devices (--device for each, or --all-devices) one session runs on each\n"
            "at the same moment; each answer is printed on a line of its own led by the device's\n"
            "serial number, SERIAL<TAB>Telvar X  : WORD ..., each session is kept in the journal,\n"
            "and each device's entry goes into log.qnx whole once all have answered.\n"
            "With --team-journal, the sessions waiting on this computer then go to the team journal;\n"
            "a server that does not answer is said on stderr, and they wait for the next push.\n"
            "Example: telvarctl --simulate --sensor 5,7 ask \"Who is there?\" --window 6\n"),
        [](CliContext& context, QStringList) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("ask");
            OptionParser parser;
            parser.addOption(
                QCommandLineOption(QStringLiteral("window"), QString(), QStringLiteral("SECONDS")));
            parser.addOption(QCommandLineOption(QStringLiteral("trace"), QString(), QStringLiteral("FILE")));
            // The words as given, "--" included: a question may begin with a minus.
            if (const QString error = parser.parse(context.options().verbWordsWithEndOfOptions());
                !error.isEmpty())
                co_return context.usageError(verb, error);
            ResponseWindow window = ResponseWindow::Seconds12;
            if (parser.isSet(QStringLiteral("window"))) {
                const std::optional<ResponseWindow> chosen =
                    parseWindow(parser.value(QStringLiteral("window")));
                if (!chosen)
                    co_return context.usageError(verb, QStringLiteral("the window is 6, 12 or 24 seconds"));
                window = *chosen;
            }
            const QStringList questions = parser.positionalArguments();
            if (questions.size() != 1)
                co_return context.usageError(verb,
                                             QStringLiteral("give the question as one argument (quote it)"));
            if (questions.first().trimmed().isEmpty())
                co_return context.usageError(verb, QStringLiteral("the question is empty"));
            const QString trace = parser.value(QStringLiteral("trace"));
            if (parser.isSet(QStringLiteral("trace")) && trace.isEmpty())
                co_return context.usageError(verb, QStringLiteral("--trace needs a file name"));
            // Said now, not once the user has waited through the window.
            if (QString error; !trace.isEmpty() && !checkOutputTarget(trace, &error))
                co_return context.fail(error);
            // A journal that would be refused is said before the question is asked, not after: nothing
            // is asked that could not be kept.
            if (JournalStore journal; !journal.mayOpen(context.journalPath()))
                co_return context.fail(
                    QStringLiteral("sessions cannot be kept: %1").arg(journal.errorString()));

            const std::optional<QList<DeviceCandidate>> devices = context.chooseDevices(true);
            if (!devices)
                co_return kExitFailure;
            if (devices->size() > 1 && !trace.isEmpty())
                co_return context.usageError(verb, QStringLiteral("--trace works with one device"));
            const Vocabulary* loaded = context.loadVocabulary();
            if (!loaded)
                co_return kExitFailure;
            const Vocabulary& vocabulary = *loaded;
            if (devices->size() > 1) {
                const int status =
                    co_await askSeveral(context, vocabulary, questions.first(), window, *devices);
                co_await pushAfterSessions(context);
                co_return status;
            }
            if (!co_await context.connectDevice())
                co_return kExitFailure;

            std::optional<SessionJournal> journal(std::in_place, context.journalPath());
            QObject::connect(&*journal, &SessionJournal::problem,
                             [&](const QString& text) { context.fail(text); });
            SessionController session(context.link(), vocabulary);
            journal->follow(session);
            std::vector<SessionPoll> polls;
            QObject::connect(&session, &SessionController::polled,
                             [&polls](const SessionPoll& poll) { polls.push_back(poll); });
            QObject::connect(&session, &SessionController::problem,
                             [&](const QString& text) { context.fail(text); });
            QString answer;
            QObject::connect(&session, &SessionController::sessionEnded,
                             [&answer](const QString& text) { answer = text; });
            session.ask(questions.first(), window);
            co_await context.waitUnlessInterrupted(&session, &SessionController::sessionEnded);
            // An interrupted session still logs what was answered so far; a poll begun since the
            // interrupt is cancelled too.
            session.endNow();
            if (context.interrupted())
                context.link().cancel();
            // A word found just before the window closed is still waiting to be spoken; let it be, unless
            // the user interrupted: closing down then drops it.
            if (session.isTickRunning())
                co_await context.waitUnlessInterrupted(&session, &SessionController::tickFinished);
            if (!session.answer().isEmpty())
                context.err() << "telvarctl: spoken after the window closed:" << session.answer() << Qt::endl;

            context.out() << "Telvar X  :" << answer << Qt::endl;
            const bool traced =
                trace.isEmpty() || writeOutput(context, trace, journalexport::traceCsv(polls));
            // The answer is out; only then, with the session written whole, may the network have its turn.
            journal.reset();
            co_await pushAfterSessions(context);
            // The answer stands even when only the log failed; a device that failed makes it doubtful.
            co_return session.deviceProblem() || !traced ? kExitFailure : kExitOk;
        },
    };
}

} // namespace telvar::cli
