// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/EmulatorOptions.h"

#include "commandline/OptionParser.h"
#include "files/FileIdentity.h"

namespace telvar {

namespace {
const QString kSimulate = QStringLiteral("simulate");
const QString kSensor = QStringLiteral("sensor");
const QString kFault = QStringLiteral("fault");
const QString kRandom = QStringLiteral("random");
const QString kSpeakAloud = QStringLiteral("speak-aloud");
} // namespace

QString EmulatorOptions::setStateFile(const QString& file) {
    if (file.isEmpty())
        return QStringLiteral("--simulate= needs a file name after the equals sign");
    for (const QString& given : std::as_const(stateFiles)) {
        // By what the file is: a link or a hard link to a file given already is that file again.
        if (fileidentity::same(given, file))
            return given == file
                       ? QStringLiteral("--simulate=%1 is given twice; each file is one virtual device")
                             .arg(file)
                       : QStringLiteral("--simulate=%1 is the same file as --simulate=%2; each file is one "
                                        "virtual device")
                             .arg(file, given);
    }
    simulate = true;
    if (stateFiles.isEmpty())
        stateFile = file;
    stateFiles.append(file);
    return {};
}

QString EmulatorOptions::setSensor(const QString& list) {
    if (list.trimmed().isEmpty())
        return QStringLiteral("--sensor needs a list of readings, e.g. 5,7,1200x100, or random");
    if (list == kRandom || list.startsWith(kRandom + u':')) {
        if (list != kRandom) {
            bool ok = false;
            const quint32 seed = list.mid(kRandom.size() + 1).toUInt(&ok);
            if (!ok)
                return QStringLiteral("sensor \"%1\": the seed after random: must be a whole number")
                    .arg(list);
            sensorSeed = seed;
        }
        sensorScript.reset();
        return {};
    }
    QString error;
    sensorScript = SensorScript::parse(list, &error);
    return error;
}

QString EmulatorOptions::addFault(const QString& spec) {
    return faults.add(spec);
}

void EmulatorOptions::addOptionsTo(OptionParser& parser) {
    parser.addFlagWithAttachedValue(kSimulate);
    parser.addOption(QCommandLineOption(kSensor, QString(), QStringLiteral("LIST")));
    parser.addOption(QCommandLineOption(kFault, QString(), QStringLiteral("SPEC")));
    parser.addOption(QCommandLineOption(kSpeakAloud));
}

QString EmulatorOptions::readFrom(const OptionParser& parser) {
    simulate = parser.isSet(kSimulate);
    if (!simulate && (parser.isSet(kSensor) || parser.isSet(kFault) || parser.isSet(kSpeakAloud)))
        return QStringLiteral("--sensor, --fault and --speak-aloud work only with --simulate");
    speakAloud = parser.isSet(kSpeakAloud);
    for (const QString& file : parser.attachedValues(kSimulate)) {
        if (QString error = setStateFile(file); !error.isEmpty())
            return error;
    }
    // Every value is checked, not just the one that counts: a typo in an earlier one is still a typo.
    for (const QString& list : parser.values(kSensor)) {
        if (QString error = setSensor(list); !error.isEmpty())
            return error;
    }
    for (const QString& spec : parser.values(kFault)) {
        if (QString error = addFault(spec); !error.isEmpty())
            return error;
    }
    return {};
}

QString EmulatorOptions::usage() {
    return QStringLiteral(
        "  --simulate[=FILE]  use the virtual Telvar X; its memory and settings are kept in FILE;\n"
        "                     repeated, each FILE is a virtual device of its own\n"
        "  --sensor LIST      virtual sensor readings in order, e.g. 5,7,1200x100 (then 0), or all\n"
        "                     three readings of each reply: 5/40/90x3,7/41/91x3;\n"
        "                     random[:SEED] for a wandering sensor (the default)\n"
        "  --fault SPEC       drop:LETTER, unplug-after:N, refuse-after:N, delay:[LETTER:]MS,\n"
        "                     unit-pace:MS (the external unit's time a word), unit-silent or\n"
        "                     unit-reply:N (may be repeated)\n"
        "  --speak-aloud      play what the virtual Telvar X says through espeak-ng: an\n"
        "                     approximation of the chip for trying words, not its voice\n");
}

} // namespace telvar
