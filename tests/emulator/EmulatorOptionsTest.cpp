// SPDX-License-Identifier: GPL-3.0-or-later
#include "emulator/EmulatorOptions.h"
#include "commandline/OptionParser.h"
#include "device/DeviceIdentity.h"
#include "emulator/EmulatedLibrary.h"
#include "emulator/SensorWalk.h"

#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <set>

using namespace telvar;

namespace {

// The command line of a program that has one option of its own, --data-dir DIR, beside the virtual
// device's.
struct CommandLine {
    EmulatorOptions options;
    QString error;
    QString dataDir;
    QStringList rest;
};

CommandLine parse(const QString& text) {
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    CommandLine line;
    OptionParser parser;
    EmulatorOptions::addOptionsTo(parser);
    parser.addOption(QCommandLineOption(QStringLiteral("data-dir"), QString(), QStringLiteral("DIR")));
    line.error = parser.parse(words);
    if (line.error.isEmpty())
        line.error = line.options.readFrom(parser);
    line.dataDir = parser.value(QStringLiteral("data-dir"));
    line.rest = parser.positionalArguments();
    return line;
}

} // namespace

class EmulatorOptionsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sensorScriptRunsInOrderThenGivesZero() {
        QString error;
        auto script = SensorScript::parse(QStringLiteral("5,7,1200x100"), &error);
        QVERIFY2(script, qPrintable(error));
        QCOMPARE(script->next()[0], 5);
        QCOMPARE(script->next()[0], 7);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(script->next()[0], 1200);
        QCOMPARE(script->next()[0], 0);
        QCOMPARE(script->next()[0], 0);
        QVERIFY(SensorScript::parse(QStringLiteral(" 0 , 65279x2"), &error)); // the largest reading
    }

    void threeReadingItemsFillEveryReading() {
        QString error;
        auto script = SensorScript::parse(QStringLiteral("5/40/90x2,7,65279/0/1"), &error);
        QVERIFY2(script, qPrintable(error));
        using Readings = SensorScript::Readings;
        for (const Readings& expected : {Readings{5, 40, 90}, Readings{5, 40, 90}, Readings{7, 0, 0},
                                         Readings{65279, 0, 1}, Readings{0, 0, 0}})
            QCOMPARE(script->next(), expected);
    }

    void badSensorListsAreRefused_data() {
        QTest::addColumn<QString>("list");
        for (const char* list :
             {"", "5,,7", "x3", "5x0", "5x", "-1", "+5", "65280", "5 x2", "1.5", "5x2x3", "5/40", "5/40/90/1",
              "5//90", "5/40/65280", "5/40/90x", "/40/90", "0x10", "7,0x1F"})
            QTest::newRow(list) << QString::fromLatin1(list);
    }
    void badSensorListsAreRefused() {
        QFETCH(QString, list);
        QString error;
        QVERIFY(!SensorScript::parse(list, &error));
        QVERIFY2(error.contains(QLatin1String("sensor list")), qPrintable(error));
    }

    void wanderingSensorIsRepeatableStaysInRangeAndDwells() {
        SensorWalk first(42);
        SensorWalk second(42);
        int moves = 0;
        std::set<int> visited;
        for (int i = 0, previous = -1; i < 2000; ++i) {
            const auto a = first.next();
            QCOMPARE(a, second.next());
            QVERIFY(a[0] >= 1 && a[0] <= 2048);
            moves += a[0] != previous;
            previous = a[0];
            visited.insert(a[0]);
        }
        QVERIFY(moves < 2000 / 3);    // it rests on a word for several readings
        QVERIFY(visited.size() > 20); // and does move on
    }

    void faultsAreParsed() {
        FaultSet faults;
        QVERIFY(faults.isEmpty());
        QCOMPARE(faults.add(QStringLiteral("drop:D")), QString());
        QCOMPARE(faults.add(QStringLiteral("drop:@")), QString());
        QCOMPARE(faults.add(QStringLiteral("unplug-after:12")), QString());
        QCOMPARE(faults.add(QStringLiteral("delay:250")), QString());
        QCOMPARE(faults.add(QStringLiteral("refuse-after:0")), QString());
        QVERIFY(faults.drops('D'));
        QVERIFY(faults.drops('@'));
        QVERIFY(!faults.drops('d'));
        QCOMPARE(faults.unplugAfter(), std::optional<qint64>(12));
        QCOMPARE(faults.delay(), std::chrono::milliseconds(250));
        QCOMPARE(faults.refuseAfter(), std::optional<qint64>(0));
        QVERIFY(!faults.isEmpty());
        FaultSet unit;
        QCOMPARE(unit.add(QStringLiteral("unit-pace:1300")), QString());
        QCOMPARE(unit.unitPace(), std::optional(std::chrono::milliseconds(1300)));
        QCOMPARE(unit.add(QStringLiteral("unit-reply:1")), QString());
        QCOMPARE(unit.unitReply(), std::optional<quint8>(1));
        QVERIFY(!unit.unitSilent());
        QCOMPARE(unit.add(QStringLiteral("unit-silent")), QString());
        QVERIFY(unit.unitSilent());

        // One command's replies late, on top of every reply's delay.
        QCOMPARE(faults.add(QStringLiteral("delay:v:1500")), QString());
        QCOMPARE(faults.delay('v'), std::chrono::milliseconds(1750));
        QCOMPARE(faults.delay('V'), std::chrono::milliseconds(250));
        FaultSet oneLetter;
        QCOMPARE(oneLetter.add(QStringLiteral("delay:::40")), QString());
        QVERIFY(!oneLetter.isEmpty());
        QCOMPARE(oneLetter.delay(':'), std::chrono::milliseconds(40));
    }

    void badFaultsAreRefused_data() {
        QTest::addColumn<QString>("spec");
        for (const char* spec :
             {"", "drop", "drop:", "drop:DD", "drop: ", "unplug-after:0", "unplug-after:x", "unplug-after:-3",
              "unplug-after:", "delay:-1", "delay:60001", "delay:5ms", "delay: 5", "lag:5", "DROP:D",
              "refuse-after:", "refuse-after:x", "refuse-after:+2"})
            QTest::newRow(spec) << QString::fromLatin1(spec);
        for (const char* spec : {"delay:D:", "delay:D:x", "delay: :5", "delay:DD:5", "delay:D:60001",
                                 "unit-pace:60001", "unit-pace:", "unit-reply:256", "unit-silent:1"})
            QTest::newRow(spec) << QString::fromLatin1(spec);
    }
    void badFaultsAreRefused() {
        QFETCH(QString, spec);
        FaultSet faults;
        const QString error = faults.add(spec);
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(QLatin1String("fault \"") + spec + u'"'), qPrintable(error));
        QVERIFY(faults.isEmpty());
    }

    void simulationWordsAreTakenOutOfTheCommandLine() {
        CommandLine line = parse(QStringLiteral("--data-dir /tmp/x --simulate=state.json --sensor 5,7 "
                                                "--fault=drop:D --fault delay:20 ask -- --sensor"));
        QCOMPARE(line.error, QString());
        QCOMPARE(line.dataDir, QStringLiteral("/tmp/x"));
        QCOMPARE(line.rest, QStringLiteral("ask --sensor").split(u' '));
        EmulatorOptions& options = line.options;
        QVERIFY(options.simulate);
        QCOMPARE(options.stateFile, QStringLiteral("state.json"));
        QCOMPARE(options.sensorScript->next()[0], 5);
        QVERIFY(options.faults.drops('D'));
        QCOMPARE(options.faults.delay(), std::chrono::milliseconds(20));

        CommandLine plain = parse(QStringLiteral("--simulate --sensor=random:7"));
        QCOMPARE(plain.error, QString());
        EmulatorOptions& walk = plain.options;
        QVERIFY(plain.rest.isEmpty() && walk.simulate && walk.stateFile.isEmpty() && !walk.sensorScript);
        QCOMPARE(walk.sensorSeed, 7u);
    }

    // QCommandLineParser knows no optional values: the file goes with --simulate only after an equals sign.
    void theStateFileIsTakenOnlyAfterTheEqualsSign() {
        const CommandLine separate = parse(QStringLiteral("--simulate state.json"));
        QVERIFY(separate.options.simulate);
        QVERIFY(separate.options.stateFile.isEmpty());
        QCOMPARE(separate.rest, QStringList{QStringLiteral("state.json")});

        // Each file given is a virtual device of its own; the first is used until another is chosen.
        const CommandLine twice = parse(QStringLiteral("--simulate=first.json --simulate=second.json"));
        QCOMPARE(twice.options.stateFiles, (QStringList{"first.json", "second.json"}));
        QCOMPARE(twice.options.stateFile, QStringLiteral("first.json"));
        QVERIFY(!parse(QStringLiteral("--simulate=first.json --simulate=./first.json")).error.isEmpty());
        // A link is the file it leads to, even to one not made yet.
        QTemporaryDir folder;
        const QString first = folder.filePath(QStringLiteral("first.json"));
        QVERIFY(QFile::link(first, folder.filePath(QStringLiteral("link.json"))));
        QVERIFY(!parse(QStringLiteral("--simulate=%1 --simulate=%2")
                           .arg(first, folder.filePath(QStringLiteral("link.json"))))
                     .error.isEmpty());

        const CommandLine withEquals = parse(QStringLiteral("--simulate=dir/a=b.json"));
        QCOMPARE(withEquals.options.stateFile, QStringLiteral("dir/a=b.json"));

        // A word that is another option's value, or stands after "--", is no --simulate at all.
        const CommandLine asValue = parse(QStringLiteral("--data-dir --simulate=x.json"));
        QCOMPARE(asValue.error, QString());
        QCOMPARE(asValue.dataDir, QStringLiteral("--simulate=x.json"));
        QVERIFY(!asValue.options.simulate);
        const CommandLine literal = parse(QStringLiteral("-- --simulate=x.json"));
        QVERIFY(!literal.options.simulate);
        QCOMPARE(literal.rest, QStringList{QStringLiteral("--simulate=x.json")});
    }

    void repeatedFaultsAllTakeEffect() {
        const CommandLine line =
            parse(QStringLiteral("--fault drop:B --simulate --fault=drop:C --fault refuse-after:4"));
        QCOMPARE(line.error, QString());
        QVERIFY(line.options.faults.drops('B'));
        QVERIFY(line.options.faults.drops('C'));
        QCOMPARE(line.options.faults.refuseAfter(), std::optional<qint64>(4));
    }

    // The fault reaches the device: N reports are taken, every write after them fails.
    void aRefusingDeviceTakesItsCountThenFailsEveryWrite() {
        const CommandLine line = parse(QStringLiteral("--simulate --fault refuse-after:2"));
        QCOMPARE(line.error, QString());
        QString error;
        const auto library = EmulatedLibrary::create(line.options, &error);
        QVERIFY2(library, qPrintable(error));
        const HidLibrary::OutputReport report{0, 'Z'};
        const auto sent = [&report](EmulatedLibrary& to) {
            return to.WriteEx(kVendorId, kProductId, report).result().sent;
        };
        library->Connect();
        QVERIFY(sent(*library));
        QVERIFY(sent(*library));
        QVERIFY(!sent(*library));
        QVERIFY(!sent(*library));
        QCOMPARE(library->device().receivedReports().size(), 2);

        const auto refusing = EmulatedLibrary::create(
            parse(QStringLiteral("--simulate --fault refuse-after:0")).options, &error);
        refusing->Connect();
        QVERIFY(!sent(*refusing));
        QVERIFY(refusing->isPlugged()); // on the bus all the same
    }

    void badCommandLinesSayWhatIsWrong_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("mentions");
        const std::pair<const char*, const char*> rows[] = {
            {"--sensor 5", "--simulate"},
            {"--fault=drop:D", "--simulate"},
            {"--simulate --sensor", "needs a value"},
            {"--simulate=", "file name"},
            {"--simulate --sensor=5x", "sensor list"},
            {"--simulate --sensor=random:x", "seed"},
            {"--simulate --fault drop:", "drop"},
            {"--simulate --sensor 5x --sensor 5", "sensor list"},
            {"--simulate --fault refuse-after:-1", "refuse-after"},
            {"--simulate --simulat=3", "unknown option --simulat"},
            {"-x --simulate", "unknown option -x"},
            {"--simulate --fault", "--fault needs a value"},
            {"--simulate --data-dir --fault --fault", "--fault needs a value"}};
        for (const auto& [words, mentions] : rows)
            QTest::newRow(words) << QString::fromLatin1(words) << QString::fromLatin1(mentions);
    }
    void badCommandLinesSayWhatIsWrong() {
        QFETCH(QString, words);
        QFETCH(QString, mentions);
        const QString error = parse(words).error;
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(EmulatorOptionsTest)
#include "EmulatorOptionsTest.moc"
