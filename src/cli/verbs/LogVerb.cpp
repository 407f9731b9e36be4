// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "device/Prompter.h"
#include "session/SessionLogFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

namespace telvar::cli {

Verb logVerb() {
    return {
        QStringLiteral("log"),
        QStringLiteral("print or erase the session log of the current folder"),
        QStringLiteral(
            "Usage: telvarctl log [--clear]\n"
            "Prints log.qnx of the current folder, oldest entry first. With --clear it erases the\n"
            "file instead, after a confirmation (give --yes before the verb to confirm at once).\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            const QString verb = QStringLiteral("log");
            const bool clear = arguments.removeAll(QStringLiteral("--clear")) > 0;
            if (!arguments.isEmpty())
                co_return context.usageError(verb, QStringLiteral("unexpected %1").arg(arguments.first()));

            const SessionLogFile file;
            // A link that leads round to itself is something there, not the absence of a log.
            struct stat info {};
            if (::stat(QFile::encodeName(file.path()).constData(), &info) != 0 && errno == ELOOP)
                co_return context.fail(
                    QStringLiteral("%1 is a symbolic link loop; it leads to no log").arg(file.path()));
            if (!QFileInfo::exists(file.path())) {
                context.err() << "telvarctl: there is no " << file.path() << " in this folder" << Qt::endl;
                co_return kExitOk;
            }
            if (clear) {
                if (!co_await context.prompter().askOkCancel(QStringLiteral("This will Erase the Log File "),
                                                             QStringLiteral("Erase Log")))
                    co_return context.fail(QStringLiteral("the log was not erased"));
                QString error;
                if (file.erase(&error) == SessionLogFile::EraseResult::Failed)
                    co_return context.fail(
                        QStringLiteral("%1 could not be erased: %2").arg(file.path(), error));
                co_return kExitOk;
            }
            QString error;
            const std::optional<QStringList> lines = file.readLines(nullptr, &error);
            if (!lines)
                co_return context.fail(QStringLiteral("%1 could not be read: %2").arg(file.path(), error));
            for (const QString& line : *lines)
                context.out() << line << '\n';
            context.out().flush();
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
