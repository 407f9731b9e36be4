// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "emulator/DeviceCandidates.h"
#include "session/ResponseWindow.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

namespace telvar {
class Vocabulary;
}

namespace telvar::cli {

class CliContext;

// Asks the question of every device at the same moment, one session each, and prints each answer on a
// line of its own led by the device's serial number. Each session goes into the journal; each device's
// log entry (question and answer) goes into log.qnx whole, one after another.
QCoro::Task<int> askSeveral(CliContext& context, const Vocabulary& vocabulary, const QString& question,
                            ResponseWindow window, const QList<DeviceCandidate>& devices);

} // namespace telvar::cli
