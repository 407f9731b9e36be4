// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/OutputFile.h"

#include "cli/CliContext.h"
#include "files/OutputTarget.h"

namespace telvar::cli {

bool writeOutput(CliContext& context, const QString& target, const QByteArray& bytes) {
    // Standard output is written below the verb's own stream, which must not hold text back.
    context.out().flush();
    QString error;
    if (!writeOutputTarget(target, bytes, &error)) {
        context.fail(error);
        return false;
    }
    return true;
}

} // namespace telvar::cli
