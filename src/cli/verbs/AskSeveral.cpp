// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/verbs/AskSeveral.h"

#include "cli/CliContext.h"
#include "cli/DeviceAttachment.h"
#include "cli/Verb.h"
#include "cli/WaitEnd.h"
#include "device/DeviceLink.h"
#include "files/AppendFile.h"
#include "journal/SessionJournal.h"
#include "session/SessionController.h"
#include "session/SessionLogFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace telvar::cli {

namespace {

// One device's session. The journal goes after the session, so that it hears the session's end.
struct Asking {
    DeviceAttachment* device = nullptr;
    std::unique_ptr<SessionJournal> journal;
    std::unique_ptr<SessionController> session;
    QString answer;
};

// The entries a session wrote to a log of its own, added to the log as one write, so that the entries
// of the devices never interleave.
bool appendEntry(CliContext& context, const QString& from, const QString& log) {
    QFile entry(from);
    if (!entry.exists())
        return true; // the session wrote nothing (its log could not be written, and it said so)
    QFile target;
    QString reason;
    if (!entry.open(QIODevice::ReadOnly) || !openRegularForAppend(target, log, &reason)) {
        context.fail(QStringLiteral("The session log %1 could not be written (%2)")
                         .arg(log, reason.isEmpty() ? entry.errorString() : reason));
        return false;
    }
    const QByteArray bytes = entry.readAll();
    if (target.write(bytes) != bytes.size() || !target.flush()) {
        context.fail(
            QStringLiteral("The session log %1 could not be written (%2)").arg(log, target.errorString()));
        return false;
    }
    return true;
}

} // namespace

QCoro::Task<int> askSeveral(CliContext& context, const Vocabulary& vocabulary, const QString& question,
                            ResponseWindow window, const QList<DeviceCandidate>& devices) {
    std::vector<std::unique_ptr<DeviceAttachment>> attached;
    for (const DeviceCandidate& device : devices) {
        attached.push_back(std::make_unique<DeviceAttachment>(device));
        if (!co_await attached.back()->attach(context))
            co_return context.fail(
                QStringLiteral("%1: %2").arg(attached.back()->name(), attached.back()->error()));
    }
    // While the sessions run, each logs to a file of its own; their entries join the log at the end.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        co_return context.fail(
            QStringLiteral("no temporary folder for the session logs (%1)").arg(scratch.errorString()));

    std::vector<Asking> asking(attached.size());
    WaitEnd allEnded;
    std::size_t running = attached.size();
    for (std::size_t i = 0; i < attached.size(); ++i) {
        Asking& one = asking[i];
        one.device = attached[i].get();
        const QString name = one.device->name();
        one.journal = std::make_unique<SessionJournal>(context.journalPath());
        QObject::connect(one.journal.get(), &SessionJournal::problem,
                         [&context](const QString& text) { context.fail(text); });
        one.session = std::make_unique<SessionController>(one.device->link(), vocabulary);
        one.session->log().setPath(scratch.filePath(QString::number(i)));
        one.journal->follow(*one.session);
        QObject::connect(
            one.session.get(), &SessionController::problem,
            [&context, name](const QString& text) { context.fail(name + QStringLiteral(": ") + text); });
        QObject::connect(one.session.get(), &SessionController::sessionEnded,
                         [&one, &running, &allEnded](const QString& text) {
                             one.answer = text;
                             if (--running == 0)
                                 Q_EMIT allEnded.ended();
                         });
    }
    for (Asking& one : asking)
        one.session->ask(question, window);
    co_await context.waitUnlessInterrupted(&allEnded, &WaitEnd::ended);
    for (Asking& one : asking) {
        // An interrupted session still logs what was answered so far.
        one.session->endNow();
        if (context.interrupted())
            one.device->link().cancel();
    }
    for (Asking& one : asking) {
        if (one.session->isTickRunning())
            co_await context.waitUnlessInterrupted(one.session.get(), &SessionController::tickFinished);
    }

    bool whole = true;
    for (std::size_t i = 0; i < asking.size(); ++i) {
        const Asking& one = asking[i];
        context.out() << one.device->name() << '\t' << "Telvar X  :" << one.answer << Qt::endl;
        whole = appendEntry(context, scratch.filePath(QString::number(i)), SessionLogFile::defaultPath()) &&
                whole;
        if (one.session->deviceProblem())
            whole = false;
    }
    asking.clear(); // the sessions end, the journals write what they hold
    for (const auto& device : attached) {
        if (!device->saveState()) {
            context.fail(QStringLiteral("%1: %2").arg(device->name(), device->error()));
            whole = false;
        }
    }
    co_return whole ? kExitOk : kExitFailure;
}

} // namespace telvar::cli
