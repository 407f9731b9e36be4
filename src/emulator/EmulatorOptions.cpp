#include "emulator/EmulatorOptions.h"

namespace telvar {

namespace {
const QString kSimulate = QStringLiteral("--simulate");
const QString kSensor = QStringLiteral("--sensor");
const QString kFault = QStringLiteral("--fault");
const QString kRandom = QStringLiteral("random");
} // namespace

QString EmulatorOptions::setStateFile(const QString& file) {
    if (file.isEmpty())
        return QStringLiteral("--simulate= needs a file name after the equals sign");
    simulate = true;
    stateFile = file;
    return {};
}

QString EmulatorOptions::setSensor(const QString& list) {
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

QString EmulatorOptions::takeFrom(QStringList& arguments) {
    QStringList rest;
    bool sensorOrFault = false;
    QString error;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& word = arguments.at(i);
        if (word == QLatin1String("--")) {
            rest.append(arguments.mid(i));
            break;
        }
        if (word == kSimulate) {
            simulate = true;
            continue;
        }
        if (word.startsWith(kSimulate + u'=')) {
            error = setStateFile(word.mid(kSimulate.size() + 1));
        } else if (word == kSensor || word == kFault || word.startsWith(kSensor + u'=') ||
                   word.startsWith(kFault + u'=')) {
            const bool isSensor = word.startsWith(kSensor);
            const QString& name = isSensor ? kSensor : kFault;
            QString value;
            if (word.size() > name.size()) {
                value = word.mid(name.size() + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments.at(++i);
            } else {
                return QStringLiteral("%1 needs a value").arg(name);
            }
            error = isSensor ? setSensor(value) : addFault(value);
            sensorOrFault = true;
        } else {
            rest.append(word);
            continue;
        }
        if (!error.isEmpty())
            return error;
    }
    if (sensorOrFault && !simulate)
        return QStringLiteral("--sensor and --fault work only with --simulate");
    arguments = rest;
    return {};
}

QString EmulatorOptions::usage() {
    return QStringLiteral(
        "  --simulate[=FILE]  use the virtual Telvar X; its memory and settings are kept in FILE\n"
        "  --sensor LIST      virtual sensor readings in order, e.g. 5,7,1200x100 (then 0);\n"
        "                     random[:SEED] for a wandering sensor (the default)\n"
        "  --fault SPEC       drop:LETTER, unplug-after:N or delay:MS (may be repeated)\n");
}

} // namespace telvar
