#pragma once

#include <QByteArray>
#include <QString>

namespace telvar::cli {

class CliContext;

// Writes a verb's output to `target`: "-" is stdout, anything else a file replaced whole or not at all.
// On failure it says why on stderr and returns false.
bool writeOutput(CliContext& context, const QString& target, const QByteArray& bytes);

} // namespace telvar::cli
