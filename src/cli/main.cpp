// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/GlobalOptions.h"
#include "cli/InterruptSignals.h"
#include "cli/Verb.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

using namespace telvar::cli;

namespace {

QString verbList() {
    // The summaries start in one column, two blanks past the longest name.
    qsizetype width = 0;
    for (const Verb& verb : verbs())
        width = std::max(width, verb.name.size());
    QString text = globalUsage() + QStringLiteral("\nVerbs:\n");
    for (const Verb& verb : verbs())
        text += QStringLiteral("  %1  %2\n").arg(verb.name, -int(width)).arg(verb.summary);
    return text;
}

const Verb* findVerb(const QString& name) {
    for (const Verb& verb : verbs()) {
        if (verb.name == name)
            return &verb;
    }
    return nullptr;
}

QCoro::Task<> runVerb(const Verb& verb, CliContext& context, QStringList arguments) {
    const int status = co_await runGuarded(verb, context, std::move(arguments));
    co_await context.finishSpeaking();
    QCoreApplication::exit(context.finalStatus(status));
}

// Drawing a report needs fonts, which Qt gives only to a GUI application. telvarctl never opens a window,
// so that one draws offscreen and needs no display; every other verb stays a plain console program.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const GlobalOptions options = parseGlobalOptions(words).options;
    QStringList verbWords = options.verbArguments;
    verbWords.removeAll(QStringLiteral("--team"));
    if (options.verb == QLatin1String("sessions") && verbWords.value(0) == QLatin1String("report") &&
        !verbWords.contains(QStringLiteral("--help"))) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv) {
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QCoreApplication& app = *application;
    QCoreApplication::setApplicationName(QStringLiteral("telvar"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TELVAR_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const ParsedOptions parsed = parseGlobalOptions(app.arguments().mid(1));
    const GlobalOptions& options = parsed.options;
    if (!parsed.error.isEmpty()) {
        err << "telvarctl: " << parsed.error << Qt::endl << "Try telvarctl --help." << Qt::endl;
        return kExitUsage;
    }
    if (options.version) {
        out << "telvarctl " << TELVAR_VERSION << Qt::endl;
        return kExitOk;
    }
    if (options.help || options.verb.isEmpty()) {
        (options.help ? out : err) << verbList() << Qt::flush;
        return options.help ? kExitOk : kExitUsage;
    }
    const Verb* verb = findVerb(options.verb);
    if (!verb) {
        err << "telvarctl: unknown verb " << options.verb << Qt::endl << "Try telvarctl --help." << Qt::endl;
        return kExitUsage;
    }
    if (options.verbArguments.first(options.verbLiteralFrom).contains(QStringLiteral("--help"))) {
        out << verb->usage << Qt::flush;
        return kExitOk;
    }

    CliContext context(options, out, err);
    InterruptSignals interrupts;
    QObject::connect(&interrupts, &InterruptSignals::interrupted, &interrupts,
                     [&context](int signalNumber) { context.interrupt(signalNumber); });
    QTimer::singleShot(0, &app, [&] { runVerb(*verb, context, options.verbArguments); });
    const int status = app.exec();
    out.flush();
    err.flush();
    return status;
}
