// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramOptions.h"

#include "commandline/OptionParser.h"
#include "journal/TeamJournalAddress.h"

namespace telvar {

namespace {
const QString kDataDir = QStringLiteral("data-dir");
const QString kJournal = QStringLiteral("journal");
const QString kTeamJournal = QStringLiteral("team-journal");
const QString kTimeout = QStringLiteral("timeout");
const QString kDevice = QStringLiteral("device");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
} // namespace

QString ProgramOptions::parse(const QStringList& arguments) {
    OptionParser parser;
    EmulatorOptions::addOptionsTo(parser);
    parser.addOption(QCommandLineOption(kDataDir, QString(), QStringLiteral("DIR")));
    parser.addOption(QCommandLineOption(kJournal, QString(), QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(kTeamJournal, QString(), QStringLiteral("URL")));
    parser.addOption(QCommandLineOption(kTimeout, QString(), QStringLiteral("MS")));
    parser.addOption(QCommandLineOption(kDevice, QString(), QStringLiteral("SERIAL|PATH")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), kHelp}));
    parser.addOption(QCommandLineOption(kVersion));
    if (QString error = parser.parse(arguments); !error.isEmpty())
        return error + QStringLiteral(" (try --help)");
    help = parser.isSet(kHelp);
    version = parser.isSet(kVersion);
    if (help || version)
        return {};
    if (const QStringList words = parser.positionalArguments(); !words.isEmpty())
        return QStringLiteral("unexpected word \"%1\" (try --help)").arg(words.constFirst());
    if (QString error = emulator.readFrom(parser); !error.isEmpty())
        return error;
    if (parser.isSet(kDataDir)) {
        dataDir = parser.value(kDataDir);
        if (dataDir.isEmpty())
            return QStringLiteral("--data-dir needs a folder");
    }
    if (parser.isSet(kJournal)) {
        journal = parser.value(kJournal);
        if (journal.isEmpty())
            return QStringLiteral("--journal needs a file name");
    }
    if (parser.isSet(kTeamJournal)) {
        teamJournal = parser.value(kTeamJournal);
        QString error;
        if (!TeamJournalAddress::parse(teamJournal, &error))
            return error;
    }
    if (parser.isSet(kDevice)) {
        device = parser.value(kDevice);
        if (device.isEmpty())
            return QStringLiteral("--device needs a serial number or a device path");
    }
    if (parser.isSet(kTimeout)) {
        const QString value = parser.value(kTimeout);
        bool ok = false;
        const int ms = value.toInt(&ok);
        if (!ok || ms <= 0)
            return QStringLiteral("--timeout takes a number of milliseconds above 0, not \"%1\"").arg(value);
        timeout = std::chrono::milliseconds(ms);
    }
    return {};
}

QStringList ProgramOptions::withDevice(const QStringList& arguments, const QString& device) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (word == QStringLiteral("--device") || word == QStringLiteral("-device"))
            ++i; // and its value
        else if (!word.startsWith(QStringLiteral("--device=")) &&
                 !word.startsWith(QStringLiteral("-device=")))
            kept << word;
    }
    return kept << QStringLiteral("--device") << device;
}

QString ProgramOptions::usage() {
    return QStringLiteral("Usage: telvar [options]\n"
                          "\n"
                          "The desktop program of the Telvar X.\n"
                          "\n"
                          "Options:\n") +
           EmulatorOptions::usage() +
           QStringLiteral(
               "  --device SERIAL|PATH  the Telvar X to use when several are attached: a serial\n"
               "                     number, a device path, or a virtual device's state file\n"
               "  --data-dir DIR     folder of the word-list files\n"
               "  --journal FILE     the session journal (default: sessions.db in the user's data folder)\n"
               "  --team-journal URL also copy finished sessions to this PostgreSQL server for this run\n"
               "                     (default: View, Team journal...), postgresql://USER@HOST:PORT/DB\n"
               "  --timeout MS       time limit for each device reply (default 2000)\n"
               "  --help             this text\n"
               "  --version          the program's version\n"
               "\n"
               "A trace of every report sent and received: QT_LOGGING_RULES=\"telvar.*.debug=true\"\n");
}

} // namespace telvar
