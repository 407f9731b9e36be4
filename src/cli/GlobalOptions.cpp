// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/GlobalOptions.h"

#include "commandline/OptionParser.h"

namespace telvar::cli {

namespace {

const QString kDataDir = QStringLiteral("data-dir");
const QString kDictionary = QStringLiteral("dict");
const QString kJournal = QStringLiteral("journal");
const QString kTeamJournal = QStringLiteral("team-journal");
const QString kTimeout = QStringLiteral("timeout");
const QString kYes = QStringLiteral("yes");
const QString kDevice = QStringLiteral("device");
const QString kAllDevices = QStringLiteral("all-devices");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

void declareGlobalOptions(OptionParser& parser) {
    EmulatorOptions::addOptionsTo(parser);
    parser.addOption(QCommandLineOption(kDataDir, QString(), QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(kDictionary, QString(), QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(kJournal, QString(), QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(kTeamJournal, QString(), QStringLiteral("URL")));
    parser.addOption(QCommandLineOption(kTimeout, QString(), QStringLiteral("MS")));
    parser.addOption(QCommandLineOption(kYes));
    parser.addOption(QCommandLineOption(kDevice, QString(), QStringLiteral("SERIAL|PATH")));
    parser.addOption(QCommandLineOption(kAllDevices));
    parser.addOption(QCommandLineOption(kHelp));
    parser.addOption(QCommandLineOption(kVersion));
}

// The words of the global options, wherever they stand, and the verb with its own words.
struct SortedWords {
    QStringList global;
    QString verb;
    QStringList verbWords;
    qsizetype verbLiteralFrom = -1;
};

// Global options may also follow the verb ("upload --yes"), but --help and --version there are the verb's,
// as is every word that names no global option. After a "--" every word is the verb's (the "--" itself is
// not); one before the verb also makes the next word the verb.
SortedWords sortWords(const QStringList& arguments, const OptionParser& parser) {
    SortedWords sorted;
    bool beforeVerb = true;
    bool literal = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (literal || !word.startsWith(u'-') || word == QLatin1String("-")) {
            if (beforeVerb && literal)
                sorted.verbLiteralFrom = 0;
            if (beforeVerb)
                sorted.verb = word;
            else
                sorted.verbWords << word;
            beforeVerb = false;
            continue;
        }
        if (word == QLatin1String("--")) {
            literal = true;
            if (!beforeVerb)
                sorted.verbLiteralFrom = sorted.verbWords.size();
            continue;
        }
        const QCommandLineOption* option = parser.find(word);
        const bool global =
            beforeVerb || (option && !option->names().contains(kHelp) && !option->names().contains(kVersion));
        if (!global) {
            sorted.verbWords << word;
            continue;
        }
        sorted.global << word;
        if (parser.takesNextWord(word) && i + 1 < arguments.size())
            sorted.global << arguments.at(++i);
    }
    return sorted;
}

} // namespace

ParsedOptions parseGlobalOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    GlobalOptions& o = parsed.options;
    OptionParser parser;
    declareGlobalOptions(parser);
    const SortedWords sorted = sortWords(arguments, parser);
    o.verb = sorted.verb;
    o.verbArguments = sorted.verbWords;
    o.verbLiteralFrom = sorted.verbLiteralFrom < 0 ? sorted.verbWords.size() : sorted.verbLiteralFrom;
    if (parsed.error = parser.parse(sorted.global); !parsed.error.isEmpty())
        return parsed;
    o.help = parser.isSet(kHelp);
    o.version = parser.isSet(kVersion);
    o.yes = parser.isSet(kYes);
    o.devices = parser.values(kDevice);
    o.allDevices = parser.isSet(kAllDevices);
    if (o.devices.contains(QString())) {
        parsed.error = QStringLiteral("--device needs a serial number or a device path");
        return parsed;
    }
    o.dataDir = parser.value(kDataDir);
    o.dictionary = parser.value(kDictionary);
    // An empty name would quietly mean the default folder or dictionary; a script that lost its
    // variable should hear about it instead.
    if (parser.isSet(kDataDir) && o.dataDir.isEmpty()) {
        parsed.error = QStringLiteral("--data-dir needs a folder name");
        return parsed;
    }
    if (parser.isSet(kDictionary) && o.dictionary.isEmpty()) {
        parsed.error = QStringLiteral("--dict needs a file name");
        return parsed;
    }
    o.journal = parser.value(kJournal);
    if (parser.isSet(kJournal) && o.journal.isEmpty()) {
        parsed.error = QStringLiteral("--journal needs a file name");
        return parsed;
    }
    if (parser.isSet(kTeamJournal)) {
        o.teamJournal = TeamJournalAddress::parse(parser.value(kTeamJournal), &parsed.error);
        if (!o.teamJournal)
            return parsed;
    }
    if (parser.isSet(kTimeout)) {
        bool ok = false;
        const int ms = parser.value(kTimeout).toInt(&ok);
        if (!ok || ms <= 0) {
            parsed.error = QStringLiteral("--timeout takes a number of milliseconds above 0");
            return parsed;
        }
        o.timeout = std::chrono::milliseconds(ms);
    }
    parsed.error = o.emulator.readFrom(parser);
    return parsed;
}

QStringList GlobalOptions::verbWordsWithEndOfOptions() const {
    QStringList words = verbArguments;
    if (verbLiteralFrom < words.size())
        words.insert(verbLiteralFrom, QStringLiteral("--"));
    return words;
}

QString globalUsage() {
    return QStringLiteral(
        "Usage: telvarctl [global options] VERB [arguments]\n"
        "Global options may also follow the verb; words after -- are the verb's alone.\n"
        "\n"
        "Global options:\n"
        "  --simulate[=FILE]  use the virtual Telvar X (its state kept in FILE); repeated, each\n"
        "                     FILE is a virtual device of its own\n"
        "  --sensor LIST      virtual sensor readings, e.g. 5,7,1200x100 or 5/40/90x3,7/41/91x3\n"
        "                     (with --simulate)\n"
        "  --fault SPEC       drop:LETTER, unplug-after:N, refuse-after:N, delay:[LETTER:]MS,\n"
        "                     unit-pace:MS, unit-silent or unit-reply:N (with --simulate;\n"
        "                     repeatable)\n"
        "  --speak-aloud      play what the virtual Telvar X says through espeak-ng: an\n"
        "                     approximation of the chip for trying words, not its voice\n"
        "  --device SERIAL|PATH  the Telvar X to use when several are attached (a serial\n"
        "                     number, a device path, or a virtual device's state file);\n"
        "                     ask takes several, or --all-devices\n"
        "  --data-dir DIR     folder of the word-list files\n"
        "  --dict FILE        the editor dictionary (default: DozudiZEzuve.Dic in the data folder)\n"
        "  --journal FILE     the session journal (default: sessions.db in the user's data folder)\n"
        "  --team-journal URL also copy finished sessions to the team journal on a PostgreSQL\n"
        "                     server, postgresql://USER@HOST:PORT/DATABASE?sslmode=...; the\n"
        "                     password comes from ~/.pgpass or PGPASSWORD\n"
        "  --timeout MS       time limit for each device reply (default 2000)\n"
        "  --yes              answer Yes to every confirmation\n"
        "  --help             this text; VERB --help tells about one verb\n"
        "  --version          the program's version\n");
}

} // namespace telvar::cli
