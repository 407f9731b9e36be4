// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplyCollector.h"

#include "emulator/EmulatedLibrary.h"
#include "emulator/StateFile.h"
#include "emulator/VirtualDevice.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::sendReport;

class EmulatorStateTest : public QObject {
    Q_OBJECT

private:
    static QJsonObject readJson(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    static QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private Q_SLOTS:
    void jsonRoundTripKeepsEveryField() {
        DeviceState state = DeviceState::factory();
        state.config[0] = 9;
        state.config[15] = 255;
        state.wordMemory[0] = char(0xC7);
        state.wordMemory[state.wordMemory.size() - 1] = char(0x00);
        state.recordSpoken(4000);
        state.unitWords = {QStringLiteral("ALL RIGHT "), QString::fromLatin1("\xe9\xc8\x01       ")};
        state.unitCommands = {QStringLiteral(" AA = 00123")};
        state.firmware = {'2', '.', '0', '0', ' ', 255};
        state.serial = QStringLiteral("TX-0042");

        const QByteArray json = StateFile::toJson(state);
        QCOMPARE(QJsonDocument::fromJson(json).object().value(QStringLiteral("firmware")).toString(),
                 QStringLiteral("322e303020ff"));
        const QString hex =
            QJsonDocument::fromJson(json).object().value(QStringLiteral("wordMemory")).toString();
        QVERIFY(hex.startsWith(QLatin1String("c7")));

        QString error;
        const auto back = StateFile::fromJson(json, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->config, state.config);
        QCOMPARE(back->wordMemory, state.wordMemory);
        QCOMPARE(back->record, state.record);
        QCOMPARE(back->unitWords, state.unitWords);
        QCOMPARE(back->unitCommands, state.unitCommands);
        QCOMPARE(back->firmware, state.firmware);
        QCOMPARE(back->serial, state.serial);
    }

    void missingKeysKeepFactoryValues() {
        QString error;
        const auto state =
            StateFile::fromJson(R"({"config":[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]})", &error);
        QVERIFY2(state, qPrintable(error));
        QCOMPARE(int(state->config[15]), 16);
        QCOMPARE(state->wordMemory, DeviceState::factory().wordMemory);
        QCOMPARE(state->readRecord(0), quint16(0xFFFF));
        QCOMPARE(state->firmware, DeviceState::factory().firmware);
    }

    void theVersionReplyComesFromTheFirmwareKey() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("device.json"));
        writeFile(path, R"({"firmware":"322e3031200b"})"); // "2.01", a blank revision, 11
        VirtualDevice device;
        QCOMPARE(device.openStateFile(path), QString());
        test::ReplyCollector collector(device);
        sendReport(device, {'Z'});
        QTRY_COMPARE(collector.replies.size(), 1);
        QCOMPARE(collector.replies[0], QByteArray("\0Z2.01 \x0b\0", 9));
    }

    void malformedContentIsRefusedWithAReason_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("mentions");
        const QByteArray shortHex = "\"" + QByteArray(2 * 100, 'a') + "\"";
        QTest::newRow("not json") << QByteArray("{\"config\": [") << QStringLiteral("JSON");
        QTest::newRow("array at top") << QByteArray("[]") << QStringLiteral("object");
        QTest::newRow("15 config bytes")
            << QByteArray(R"({"config":[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15]})") << QStringLiteral("config");
        QTest::newRow("config 256") << QByteArray(R"({"config":[256,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]})")
                                    << QStringLiteral("config");
        QTest::newRow("short memory") << "{\"wordMemory\":" + shortHex + "}" << QStringLiteral("100 bytes");
        QTest::newRow("upper-case hex")
            << QByteArray(R"({"wordMemory":"AB"})") << QStringLiteral("lower-case");
        QTest::newRow("record value")
            << QByteArray(R"({"spokenRecord":[65536]})") << QStringLiteral("spokenRecord");
        QTest::newRow("unit word") << QByteArray(R"({"unitWords":[5]})") << QStringLiteral("unitWords");
        QTest::newRow("format") << QByteArray(R"({"format":2})") << QStringLiteral("format");
        // A number written as text is not a format nobody knows: it is the wrong kind of value.
        QTest::newRow("format as text")
            << QByteArray(R"({"format":"1"})")
            << QStringLiteral("\"format\" must be the number 1, not the text \"1\"");
        QTest::newRow("format as true")
            << QByteArray(R"({"format":true})") << QStringLiteral("must be the number 1, not true");
        QTest::newRow("format 1.5") << QByteArray(R"({"format":1.5})")
                                    << QStringLiteral("1.5 is not understood");
        QTest::newRow("firmware too short")
            << QByteArray(R"({"firmware":"312e3233"})") << QStringLiteral("firmware");
        QTest::newRow("firmware too long")
            << QByteArray(R"({"firmware":"312e3233410400"})") << QStringLiteral("firmware");
        QTest::newRow("firmware upper-case")
            << QByteArray(R"({"firmware":"312E32334104"})") << QStringLiteral("firmware");
        QTest::newRow("firmware number") << QByteArray(R"({"firmware":5})") << QStringLiteral("firmware");
        QTest::newRow("serial empty") << QByteArray(R"({"serial":""})") << QStringLiteral("serial");
        QTest::newRow("serial with a blank") << QByteArray(R"({"serial":"A 1"})") << QStringLiteral("serial");
        QTest::newRow("serial number") << QByteArray(R"({"serial":7})") << QStringLiteral("serial");
    }
    void malformedContentIsRefusedWithAReason() {
        QFETCH(QByteArray, json);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!StateFile::fromJson(json, &error));
        QVERIFY2(error.contains(mentions), qPrintable(error));
    }

    void changesAreSavedAndComeBackInTheNextRun() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("device.json"));
        {
            VirtualDevice device;
            QCOMPARE(device.openStateFile(path), QString());
            const auto created = StateFile::fromJson(fileBytes(path), nullptr); // made on first use
            QVERIFY(created && created->wordMemory == DeviceState::factory().wordMemory);
            sendReport(device, {'B', 2, 33});
            sendReport(device, {'A', 16, 0});
            sendReport(device, {'W'});
            sendReport(device, {1, 2, 3, 4, 5, 6, 7, 8});
            sendReport(device, {'A', 40, 0});
            sendReport(device, {'S'});
            // Saves are gathered on the worker thread and land shortly after the changes.
            QTRY_COMPARE(readJson(path).value(QStringLiteral("config")).toArray().at(2).toInt(), 33);
            sendReport(device, {'v'});
            for (char c : QByteArray("HELLO     "))
                sendReport(device, {quint8(c), quint8(c)});
        } // destruction writes what is still pending

        VirtualDevice again;
        QCOMPARE(again.openStateFile(path), QString());
        QCOMPARE(again.configByte(2), quint8(33));
        QCOMPARE(again.wordMemory(16, 8), QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08"));
        QCOMPARE(again.readRecord(0), quint16(40));
        QCOMPARE(again.configByte(6), quint8(0)); // the first word is entry 0
        QCOMPARE(again.unitWords(), QStringList{QStringLiteral("HELLO     ")});
    }

    // The serial is the device's identity on the bus: made once per state file and kept in it, also
    // through a save of a file written before serials were kept. A device without a file is a new one.
    void eachStateFileIsADeviceWithASerialOfItsOwn() {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.json"));
        const QString b = dir.filePath(QStringLiteral("b.json"));
        const QString old = dir.filePath(QStringLiteral("old.json"));
        writeFile(old, R"({"config":[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]})");
        QString serialA;
        QString serialOld;
        {
            VirtualDevice first;
            VirtualDevice second;
            VirtualDevice older;
            QCOMPARE(first.openStateFile(a), QString());
            QCOMPARE(second.openStateFile(b), QString());
            QCOMPARE(older.openStateFile(old), QString());
            serialA = first.serialNumber();
            serialOld = older.serialNumber();
            QVERIFY2(QRegularExpression(QStringLiteral("^SIM-[0-9A-F]{8}$")).match(serialA).hasMatch(),
                     qPrintable(serialA));
            QCOMPARE(readJson(a).value(QStringLiteral("serial")).toString(), serialA);
            QVERIFY(second.serialNumber() != serialA && !serialOld.isEmpty() && serialOld != serialA);
            DeviceState programmed = DeviceState::factory();
            first.setState(programmed); // programming the memories keeps the identity
            QCOMPARE(first.serialNumber(), serialA);
            QVERIFY(VirtualDevice().serialNumber() != VirtualDevice().serialNumber());
        }
        VirtualDevice again;
        QCOMPARE(again.openStateFile(a), QString());
        QCOMPARE(again.serialNumber(), serialA);
        QCOMPARE(readJson(old).value(QStringLiteral("serial")).toString(), serialOld);
        QCOMPARE(readJson(old).value(QStringLiteral("config")).toArray().at(15).toInt(), 16);
    }

    void powerOffWritesAtOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("device.json"));
        VirtualDevice device;
        QCOMPARE(device.openStateFile(path), QString());
        DeviceState programmed = device.state();
        programmed.unitCommands = {QStringLiteral("HELLO")};
        device.setState(programmed);
        sendReport(device, {'B', 3, 44});
        device.powerOff();
        const QJsonObject saved = readJson(path);
        QCOMPARE(saved.value(QStringLiteral("config")).toArray().at(3).toInt(), 44);
        QCOMPARE(saved.value(QStringLiteral("unitCommands")).toArray().at(0).toString(),
                 QStringLiteral("HELLO"));
    }

    void keysTheModelDoesNotOwnSurviveASave() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("device.json"));
        writeFile(path, R"({"note": "bench unit 2", "future": {"level": [1, 2]}})");
        VirtualDevice device;
        QCOMPARE(device.openStateFile(path), QString());
        sendReport(device, {'B', 3, 44});
        device.powerOff();
        const QJsonObject saved = readJson(path);
        QCOMPARE(saved.value(QStringLiteral("config")).toArray().at(3).toInt(), 44);
        QCOMPARE(saved.value(QStringLiteral("note")).toString(), QStringLiteral("bench unit 2"));
        QCOMPARE(saved.value(QStringLiteral("future")).toObject().value(QStringLiteral("level")).toArray(),
                 (QJsonArray{1, 2}));
    }

    void aDamagedFileStopsTheStartAndIsLeftAlone() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("device.json"));
        const QByteArray damaged = R"({"config":[1,2,3]})";
        writeFile(path, damaged);
        EmulatorOptions options;
        QCOMPARE(options.setStateFile(path), QString());
        QString error;
        QVERIFY(!EmulatedLibrary::create(options, &error));
        QVERIFY(error.contains(path));
        QVERIFY(error.contains(QLatin1String("config")));
        QCOMPARE(fileBytes(path), damaged);
    }

    void aSaveThatFailsIsReportedOnce() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("state"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/device.json");
        VirtualDevice device;
        QCOMPARE(device.openStateFile(path), QString());
        QVERIFY(QDir(folder).removeRecursively()); // the folder goes away under the running device
        // A failure reaches the owner once, either from a flush or from a save on the worker thread.
        int told = 0;
        connect(
            &device, &VirtualDevice::saveFailed, this, [&told] { ++told; }, Qt::QueuedConnection);
        sendReport(device, {'B', 3, 1});
        told += !device.flush().isEmpty();
        sendReport(device, {'B', 3, 2});
        told += !device.flush().isEmpty();
        QCoreApplication::processEvents();
        QCOMPARE(told, 1);
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(device.flush(), QString());
        QCOMPARE(readJson(path).value(QStringLiteral("config")).toArray().at(3).toInt(), 2);
    }
};

QTEST_GUILESS_MAIN(EmulatorStateTest)
#include "EmulatorStateTest.moc"
