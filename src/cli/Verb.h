// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace telvar::cli {

class CliContext;

// Exit statuses of telvarctl.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1; // no device, time-out, unplug, file error
inline constexpr int kExitUsage = 2;

// One verb of telvarctl. `run` gets the words after the verb; `--help` among them is answered before.
struct Verb {
    QString name;
    QString summary; // one line for the verb list
    QString usage;   // the whole --help text of the verb
    std::function<QCoro::Task<int>(CliContext&, QStringList)> run;
};

// Every verb, in the order `telvarctl --help` lists them.
const std::vector<Verb>& verbs();

// Runs the verb to its status. An exception that escapes it would otherwise end in a detached task and
// leave telvarctl idling for ever; it becomes "telvarctl: VERB: WHAT" and status 1.
QCoro::Task<int> runGuarded(const Verb& verb, CliContext& context, QStringList arguments);

} // namespace telvar::cli
