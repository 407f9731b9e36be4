#include "app/ProgramOptions.h"

#include <QTest>

using namespace telvar;

class ProgramOptionsTest : public QObject {
    Q_OBJECT
private slots:
    void takesEveryOption();
    void rejectsWhatItCannotUse_data();
    void rejectsWhatItCannotUse();
};

void ProgramOptionsTest::takesEveryOption() {
    ProgramOptions options;
    const QString error = options.parse({"--simulate=/tmp/state.json", "--sensor", "5,7", "--fault", "drop:B",
                                         "--fault=delay:20", "--data-dir", "/tmp/words", "--timeout=350"});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(options.emulator.simulate);
    QCOMPARE(options.emulator.stateFile, QStringLiteral("/tmp/state.json"));
    QVERIFY(options.emulator.sensorScript.has_value());
    QVERIFY(options.emulator.faults.drops('B'));
    QCOMPARE(options.emulator.faults.delay(), std::chrono::milliseconds(20));
    QCOMPARE(options.dataDir, QStringLiteral("/tmp/words"));
    QCOMPARE(options.timeout, std::chrono::milliseconds(350));
    QVERIFY(!options.help);

    ProgramOptions plain;
    QVERIFY(plain.parse({}).isEmpty());
    QVERIFY(!plain.emulator.simulate);
    QCOMPARE(plain.timeout, std::chrono::milliseconds(0)); // the link's default then applies
}

void ProgramOptionsTest::rejectsWhatItCannotUse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("zero timeout") << QStringList{"--timeout", "0"} << "--timeout";
    QTest::newRow("word timeout") << QStringList{"--timeout=soon"} << "soon";
    QTest::newRow("timeout last") << QStringList{"--timeout"} << "--timeout";
    QTest::newRow("empty folder") << QStringList{"--data-dir="} << "--data-dir";
    QTest::newRow("unknown") << QStringList{"--simulat"} << "--simulat";
    QTest::newRow("fault without simulate") << QStringList{"--fault", "drop:B"} << "--simulate";
    QTest::newRow("bad fault") << QStringList{"--simulate", "--fault", "melt"} << "melt";
}

void ProgramOptionsTest::rejectsWhatItCannotUse() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);
    ProgramOptions options;
    const QString error = options.parse(arguments);
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

QTEST_GUILESS_MAIN(ProgramOptionsTest)
#include "ProgramOptionsTest.moc"
