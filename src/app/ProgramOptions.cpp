#include "app/ProgramOptions.h"

namespace telvar {

namespace {

// "--name VALUE" or "--name=VALUE": true when `arguments[i]` is the option, with the value or an error.
bool takeValue(const QStringList& arguments, qsizetype& i, QLatin1String name, QString& value,
               QString& error) {
    const QString& word = arguments[i];
    if (word.startsWith(name + QLatin1Char('='))) {
        value = word.mid(name.size() + 1);
    } else if (word != name) {
        return false;
    } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
    } else {
        error = QStringLiteral("%1 needs a value").arg(name);
    }
    return true;
}

} // namespace

QString ProgramOptions::parse(QStringList arguments) {
    if (QString error = emulator.takeFrom(arguments); !error.isEmpty())
        return error;
    QString error;
    for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& word = arguments[i];
        QString value;
        if (word == QLatin1String("--help") || word == QLatin1String("-h")) {
            help = true;
        } else if (word == QLatin1String("--version")) {
            version = true;
        } else if (takeValue(arguments, i, QLatin1String("--data-dir"), value, error)) {
            if (error.isEmpty() && value.isEmpty())
                error = QStringLiteral("--data-dir needs a folder");
            dataDir = value;
        } else if (takeValue(arguments, i, QLatin1String("--timeout"), value, error)) {
            bool ok = false;
            const int ms = value.toInt(&ok);
            if (error.isEmpty() && (!ok || ms <= 0))
                error =
                    QStringLiteral("--timeout takes a number of milliseconds above 0, not \"%1\"").arg(value);
            timeout = std::chrono::milliseconds(ms);
        } else {
            error = QStringLiteral("unknown option \"%1\" (try --help)").arg(word);
        }
    }
    return error;
}

QString ProgramOptions::usage() {
    return QStringLiteral("Usage: telvar [options]\n"
                          "\n"
                          "The desktop program of the Telvar X.\n"
                          "\n"
                          "Options:\n") +
           EmulatorOptions::usage() +
           QStringLiteral(
               "  --data-dir DIR     folder of the word-list files\n"
               "  --timeout MS       time limit for each device reply (default 2000)\n"
               "  --help             this text\n"
               "  --version          the program's version\n"
               "\n"
               "A trace of every report sent and received: QT_LOGGING_RULES=\"telvar.*.debug=true\"\n");
}

} // namespace telvar
