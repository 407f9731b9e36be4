// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakePlayer.h"
#include "support/ScratchFolder.h"
#include "support/Telvarctl.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

using telvar::test::FakePlayer;
using telvar::test::ProcessResult;
using telvar::test::runTelvarctl;

namespace {

const QString kHello = QStringLiteral("\\HE \\EH \\LO \\OWWW");
const QString kMissing = QStringLiteral("espeak-ng is not installed; install the espeak-ng package");

// A little-endian number of the header, read as any WAVE reader would.
template <typename Number> Number numberAt(const QByteArray& bytes, int at) {
    QDataStream in(bytes.sliced(at, sizeof(Number)));
    in.setByteOrder(QDataStream::LittleEndian);
    Number value = 0;
    in >> value;
    return value;
}

quint32 u32At(const QByteArray& bytes, int at) {
    return numberAt<quint32>(bytes, at);
}

quint16 u16At(const QByteArray& bytes, int at) {
    return numberAt<quint16>(bytes, at);
}

// The number of samples of a 16-bit mono WAVE file whose header tells the truth, or -1.
qint64 checkedSamples(const QByteArray& wave) {
    if (wave.size() < 44 || !wave.startsWith("RIFF") || wave.sliced(8, 8) != "WAVEfmt " ||
        wave.sliced(36, 4) != "data")
        return -1;
    const bool pcm16Mono = u32At(wave, 16) == 16 && u16At(wave, 20) == 1 && u16At(wave, 22) == 1 &&
                           u16At(wave, 34) == 16 && u16At(wave, 32) == 2 &&
                           u32At(wave, 28) == 2 * u32At(wave, 24);
    if (!pcm16Mono || u32At(wave, 4) != quint32(wave.size() - 8) ||
        u32At(wave, 40) != quint32(wave.size() - 44))
        return -1;
    return (wave.size() - 44) / 2;
}

} // namespace

// telvarctl render and --speak-aloud, run as processes; a fake player stands in for the sound card.
class TelvarctlRenderTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    FakePlayer m_player;

    ProcessResult run(QStringList arguments, QStringList environment = {}) {
        arguments.prepend(QStringLiteral("--data-dir=") + m_folder.path());
        // Entries given by the test come later and win.
        environment.prepend(QStringLiteral("TELVAR_PLAYER=") + m_player.recorderPath());
        return runTelvarctl(arguments, m_folder.path(), 60000, environment);
    }

    qint64 rendered(const QString& text) {
        const QString file = path("out.wav");
        QFile::remove(file);
        const ProcessResult result = run({QStringLiteral("render"), text, QStringLiteral("-o"), file});
        if (result.exitCode != 0)
            qWarning() << result.err;
        return result.exitCode == 0 ? checkedSamples(contentOf("out.wav")) : -2;
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        m_player.clear();
    }

    void renderWritesAWaveThatGrowsWithTheCodes() {
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");
        const qint64 hello = rendered(kHello);
        QVERIFY2(hello > 0, "no valid WAVE file for hello");
        const qint64 twice = rendered(kHello + u' ' + kHello);
        QVERIFY(twice > hello);
        QVERIFY(rendered(QStringLiteral("\\HE")) < hello);

        // Pauses, typed or as codes, lengthen the sound.
        const qint64 paused = rendered(QStringLiteral("\\HE \\EH \\P3 \\LO \\OWWW"));
        QVERIFY(paused > hello);
        QVERIFY(rendered(QStringLiteral("\\HE \\EH \\DELAY \\100 \\LO \\OWWW")) > paused);
        QVERIFY(rendered(kHello + QStringLiteral(",,,") + kHello) > twice);

        // Plain words go through the dictionary first, as the word editor speaks them.
        put("DozudiZEzuve.Dic", "[Words]\nhello=\\HE \\EH \\LO \\OWWW\n");
        QCOMPARE(rendered(QStringLiteral("hello")), hello);

        const ProcessResult result =
            run({QStringLiteral("render"), kHello, QStringLiteral("-o"), path("out.wav")});
        QCOMPARE(result.out, path("out.wav") + QStringLiteral(": %1 ms\n").arg(hello * 1000 / 22050));
    }

    void renderFailsClearly() {
        // No program: exit 1 with the message, and no file.
        ProcessResult result = run({QStringLiteral("render"), kHello, QStringLiteral("-o"), path("out.wav")},
                                   {QStringLiteral("TELVAR_ESPEAK=") + path("no-espeak-ng")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, QStringLiteral("telvarctl: ") + kMissing + u'\n');
        QVERIFY(!QFile::exists(path("out.wav")));

        // Usage errors: no file, no text, two texts, a text that holds no sound (a word the dictionary
        // lacks, a sound effect).
        const QString out = path("out.wav");
        for (const QStringList& words :
             {QStringList{kHello}, QStringList{QStringLiteral("-o"), out},
              QStringList{kHello, kHello, QStringLiteral("-o"), out},
              QStringList{kHello, QStringLiteral("-o")},
              QStringList{QStringLiteral("hello"), QStringLiteral("-o"), out},
              QStringList{QStringLiteral("\\R3"), QStringLiteral("--output=") + out}}) {
            result = run(QStringList{QStringLiteral("render")} + words);
            QVERIFY2(result.exitCode == 2, qPrintable(words.join(u' ')));
            QVERIFY(result.err.contains(QStringLiteral("Try telvarctl render --help.")));
        }
        QVERIFY(!QFile::exists(out));

        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed, so no file is ever written");
        result = run({QStringLiteral("render"), kHello, QStringLiteral("-o"), path("none/out.wav")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.contains(path("none/out.wav")));
    }

    void theVirtualDeviceSpeaksAloud() {
        // Without the virtual device there is nothing to speak aloud.
        QCOMPARE(run({QStringLiteral("--speak-aloud"), QStringLiteral("expand"), kHello}).exitCode, 2);
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");

        // What the editor's speaking sends code by code is played as one phrase before telvarctl ends.
        ProcessResult result = run(
            {QStringLiteral("--simulate"), QStringLiteral("--speak-aloud"), QStringLiteral("speak"), kHello});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(m_player.played().size(), 1);
        QVERIFY(checkedSamples(m_player.playedBytes(0)) > 0);

        // A player that cannot play is a notice; the verb still succeeds.
        result = run(
            {QStringLiteral("--simulate"), QStringLiteral("speak"), QStringLiteral("--speak-aloud"), kHello},
            {QStringLiteral("TELVAR_PLAYER=") + m_player.failingPath()});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QStringLiteral("telvarctl: Speak aloud: failing.sh: no sound card here\n"));

        // Without the option nothing is played.
        m_player.clear();
        QCOMPARE(run({QStringLiteral("--simulate"), QStringLiteral("speak"), kHello}).exitCode, 0);
        QCOMPARE(m_player.played().size(), 0);
    }

    // A stream is written into as it is: standard output, or a FIFO whose reader gets the same WAVE a file
    // would hold, and the FIFO stays a FIFO.
    void renderWritesIntoStreams_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("standard output") << QStringLiteral("-");
        QTest::newRow("FIFO with a reader") << QStringLiteral("fifo");
    }
    void renderWritesIntoStreams() {
        QFETCH(QString, target);
        if (!FakePlayer::haveEspeak())
            QSKIP("espeak-ng is not installed");
        QCOMPARE(run({QStringLiteral("render"), kHello, QStringLiteral("-o"), path("out.wav")}).exitCode, 0);
        const bool fifo = target != u'-';
        QProcess reader;
        if (fifo) {
            QCOMPARE(::mkfifo(qPrintable(path("fifo")), 0600), 0);
            reader.start(QStringLiteral("cat"), {path("fifo")});
        }
        const ProcessResult result = run({QStringLiteral("render"), kHello, QStringLiteral("-o"), target});
        QCOMPARE(result.exitCode, 0);
        QVERIFY(!fifo || reader.waitForFinished());
        QVERIFY((fifo ? reader.readAllStandardOutput() : result.outBytes) == contentOf("out.wav"));
        struct stat info {};
        QVERIFY(!fifo || (::stat(qPrintable(path("fifo")), &info) == 0 && S_ISFIFO(info.st_mode)));
    }
};

QTEST_GUILESS_MAIN(TelvarctlRenderTest)
#include "TelvarctlRenderTest.moc"
