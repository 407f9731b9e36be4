#include "cli/GlobalOptions.h"

namespace telvar::cli {

namespace {

// Splits "--name=value" or takes the value from the next word.
bool takeValue(const QStringList& arguments, qsizetype& i, const QString& name, QString& value,
               QString& error) {
    const QString& word = arguments[i];
    if (word.startsWith(name + QLatin1Char('='))) {
        value = word.mid(name.size() + 1);
        return true;
    }
    if (word != name)
        return false;
    if (i + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(name);
        return true;
    }
    value = arguments[++i];
    return true;
}

// Takes one global option at arguments[i] (moving i past its value); false when the word is none.
bool takeGlobalOption(const QStringList& arguments, qsizetype& i, GlobalOptions& o, QString& error) {
    const QString& word = arguments[i];
    QString value;
    if (word == QLatin1String("--simulate")) {
        o.simulate = true;
    } else if (word.startsWith(QLatin1String("--simulate="))) {
        o.simulate = true;
        o.simulateFile = word.mid(11);
    } else if (takeValue(arguments, i, QStringLiteral("--sensor"), value, error)) {
        o.sensorScript = value;
    } else if (takeValue(arguments, i, QStringLiteral("--fault"), value, error)) {
        o.faults << value;
    } else if (takeValue(arguments, i, QStringLiteral("--data-dir"), value, error)) {
        o.dataDir = value;
    } else if (takeValue(arguments, i, QStringLiteral("--dict"), value, error)) {
        o.dictionary = value;
    } else if (takeValue(arguments, i, QStringLiteral("--timeout"), value, error)) {
        bool ok = false;
        const int ms = value.toInt(&ok);
        if (!ok || ms <= 0)
            error = QStringLiteral("--timeout takes a number of milliseconds above 0");
        else
            o.timeout = std::chrono::milliseconds(ms);
    } else if (word == QLatin1String("--yes")) {
        o.yes = true;
    } else {
        return false;
    }
    return true;
}

} // namespace

ParsedOptions parseGlobalOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    GlobalOptions& o = parsed.options;
    QString& error = parsed.error;
    bool literal = false; // after "--" every word belongs to the verb
    for (qsizetype i = 0; i < arguments.size() && error.isEmpty(); ++i) {
        const QString& word = arguments[i];
        if (o.verb.isEmpty()) {
            if (!word.startsWith(QLatin1String("--")))
                o.verb = word;
            else if (word == QLatin1String("--help"))
                o.help = true;
            else if (word == QLatin1String("--version"))
                o.version = true;
            else if (!takeGlobalOption(arguments, i, o, error))
                error = QStringLiteral("unknown option %1").arg(word);
            continue;
        }
        // Global options may also follow the verb ("upload --yes"); everything else, and every word
        // after a "--", is the verb's.
        if (literal)
            o.verbArguments << word;
        else if (word == QLatin1String("--"))
            literal = true;
        else if (!takeGlobalOption(arguments, i, o, error))
            o.verbArguments << word;
    }
    if (error.isEmpty() && !o.simulate && (!o.sensorScript.isEmpty() || !o.faults.isEmpty()))
        error = QStringLiteral("--sensor and --fault go with --simulate");
    if (error.isEmpty())
        emulatorOptions(o, &error);
    return parsed;
}

EmulatorOptions emulatorOptions(const GlobalOptions& options, QString* error) {
    EmulatorOptions result;
    result.simulate = options.simulate;
    QString problem;
    if (!options.simulateFile.isEmpty())
        problem = result.setStateFile(options.simulateFile);
    if (problem.isEmpty() && !options.sensorScript.isEmpty())
        problem = result.setSensor(options.sensorScript);
    for (const QString& fault : options.faults) {
        if (problem.isEmpty())
            problem = result.addFault(fault);
    }
    if (error)
        *error = problem;
    return result;
}

QString globalUsage() {
    return QStringLiteral(
        "Usage: telvarctl [global options] VERB [arguments]\n"
        "Global options may also follow the verb; words after -- are the verb's alone.\n"
        "\n"
        "Global options:\n"
        "  --simulate[=FILE]  use the virtual Telvar X (its state kept in FILE)\n"
        "  --sensor LIST      virtual sensor readings, e.g. 5,7,1200x100 (with --simulate)\n"
        "  --fault SPEC       drop:LETTER, unplug-after:N or delay:MS (with --simulate; repeatable)\n"
        "  --data-dir DIR     folder of the word-list files\n"
        "  --dict FILE        the editor dictionary (default: DozudiZEzuve.Dic in the data folder)\n"
        "  --timeout MS       time limit for each device reply (default 2000)\n"
        "  --yes              answer Yes to every confirmation\n"
        "  --help             this text; VERB --help tells about one verb\n"
        "  --version          the program's version\n");
}

} // namespace telvar::cli
