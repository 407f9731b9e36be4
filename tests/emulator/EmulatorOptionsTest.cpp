#include "emulator/EmulatorOptions.h"
#include "emulator/SensorWalk.h"

#include <QTest>

#include <set>

using namespace telvar;

class EmulatorOptionsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sensorScriptRunsInOrderThenGivesZero() {
        QString error;
        auto script = SensorScript::parse(QStringLiteral("5,7,1200x100"), &error);
        QVERIFY2(script, qPrintable(error));
        QCOMPARE(script->next(), 5);
        QCOMPARE(script->next(), 7);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(script->next(), 1200);
        QCOMPARE(script->next(), 0);
        QCOMPARE(script->next(), 0);
        QVERIFY(SensorScript::parse(QStringLiteral(" 0 , 65279x2"), &error)); // the largest reading
    }

    void badSensorListsAreRefused_data() {
        QTest::addColumn<QString>("list");
        for (const char* list : {"", "5,,7", "x3", "5x0", "5x", "-1", "+5", "65280", "5 x2", "1.5", "5x2x3"})
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
        QVERIFY(faults.drops('D'));
        QVERIFY(faults.drops('@'));
        QVERIFY(!faults.drops('d'));
        QCOMPARE(faults.unplugAfter(), std::optional<qint64>(12));
        QCOMPARE(faults.delay(), std::chrono::milliseconds(250));
        QVERIFY(!faults.isEmpty());
    }

    void badFaultsAreRefused_data() {
        QTest::addColumn<QString>("spec");
        for (const char* spec :
             {"", "drop", "drop:", "drop:DD", "drop: ", "unplug-after:0", "unplug-after:x", "unplug-after:-3",
              "unplug-after:", "delay:-1", "delay:60001", "delay:5ms", "delay: 5", "lag:5", "DROP:D"})
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
        QStringList arguments = QStringLiteral("--data-dir /tmp/x --simulate=state.json --sensor 5,7 "
                                               "--fault=drop:D --fault delay:20 ask -- --sensor")
                                    .split(u' ');
        EmulatorOptions options;
        QCOMPARE(options.takeFrom(arguments), QString());
        QCOMPARE(arguments, QStringLiteral("--data-dir /tmp/x ask -- --sensor").split(u' '));
        QVERIFY(options.simulate);
        QCOMPARE(options.stateFile, QStringLiteral("state.json"));
        QCOMPARE(options.sensorScript->next(), 5);
        QVERIFY(options.faults.drops('D'));
        QCOMPARE(options.faults.delay(), std::chrono::milliseconds(20));

        QStringList plain{QStringLiteral("--simulate"), QStringLiteral("--sensor=random:7")};
        EmulatorOptions walk;
        QCOMPARE(walk.takeFrom(plain), QString());
        QVERIFY(plain.isEmpty() && walk.simulate && walk.stateFile.isEmpty() && !walk.sensorScript);
        QCOMPARE(walk.sensorSeed, 7u);
    }

    void badCommandLinesSayWhatIsWrong_data() {
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("mentions");
        const std::pair<const char*, const char*> rows[] = {{"--sensor 5", "--simulate"},
                                                            {"--fault=drop:D", "--simulate"},
                                                            {"--simulate --sensor", "needs a value"},
                                                            {"--simulate=", "file name"},
                                                            {"--simulate --sensor=5x", "sensor list"},
                                                            {"--simulate --sensor=random:x", "seed"},
                                                            {"--simulate --fault drop:", "drop"}};
        for (const auto& [words, mentions] : rows)
            QTest::newRow(words) << QString::fromLatin1(words) << QString::fromLatin1(mentions);
    }
    void badCommandLinesSayWhatIsWrong() {
        QFETCH(QString, words);
        QFETCH(QString, mentions);
        QStringList arguments = words.split(u' ');
        EmulatorOptions options;
        const QString error = options.takeFrom(arguments);
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(EmulatorOptionsTest)
#include "EmulatorOptionsTest.moc"
