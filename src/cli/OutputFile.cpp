#include "cli/OutputFile.h"

#include "cli/CliContext.h"

#include <QSaveFile>

namespace telvar::cli {

bool writeOutput(CliContext& context, const QString& target, const QByteArray& bytes) {
    if (target == QLatin1String("-")) {
        context.out() << QString::fromUtf8(bytes);
        context.out().flush();
        return true;
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        context.fail(QStringLiteral("%1 could not be written: %2").arg(target, file.errorString()));
        return false;
    }
    return true;
}

} // namespace telvar::cli
