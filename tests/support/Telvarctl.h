// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace telvar::test {

struct ProcessResult {
    int exitCode = -1;
    bool finished = false;
    QString out;
    QByteArray outBytes; // what `out` decodes, for output that is not text
    QString err;
};

// Runs the telvarctl under test with the given words; stdin is closed, so confirmations need --yes.
// `environment` entries (NAME=value) are added to the process environment.
inline ProcessResult runTelvarctl(const QStringList& arguments, const QString& workingDirectory = {},
                                  int timeoutMs = 60000, const QStringList& environment = {}) {
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Sessions asked without --journal go to a journal of the tests' own, not the user's.
    static const QTemporaryDir dataHome;
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome.path());
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(QStringLiteral(TELVARCTL_PATH), arguments);
    ProcessResult result;
    result.finished = process.waitForFinished(timeoutMs);
    if (!result.finished)
        process.kill();
    result.exitCode = process.exitCode();
    result.outBytes = process.readAllStandardOutput();
    result.out = QString::fromUtf8(result.outBytes);
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

} // namespace telvar::test
