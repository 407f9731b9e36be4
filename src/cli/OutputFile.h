// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace telvar::cli {

class CliContext;

// Writes a verb's output to `target` as writeOutputTarget does ("-" is stdout).
// On failure it says why on stderr and returns false.
bool writeOutput(CliContext& context, const QString& target, const QByteArray& bytes);

} // namespace telvar::cli
