// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/WavAudio.h"
#include "support/ScratchFolder.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

using telvar::WavAudio;

namespace {

QByteArray u32(quint32 value) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray u16(quint16 value) {
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray formatChunk(int channels, int bits = 16, int format = 1) {
    return "fmt " + u32(16) + u16(format) + u16(channels) + u32(22050) + u32(22050 * channels * 2) +
           u16(channels * 2) + u16(bits);
}

// A WAVE file whose chunks are given whole; the RIFF size is whatever `riffSize` says.
QByteArray wave(const QByteArray& chunks, quint32 riffSize = 0x7ffff000) {
    return "RIFF" + u32(riffSize) + "WAVE" + chunks;
}

QByteArray samples(std::initializer_list<qint16> values) {
    QByteArray bytes;
    for (const qint16 value : values)
        bytes += u16(static_cast<quint16>(value));
    return bytes;
}

} // namespace

class WavAudioTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

private Q_SLOTS:
    void soundFromAPipeIsTakenUpToItsEnd() {
        // A program writing to a pipe cannot fill in the sizes: they stay near 2^31, and the last sample
        // may be cut in half.
        const QByteArray sound = samples({1, -2, 300, -32768});
        QString error;
        std::optional<WavAudio> audio =
            WavAudio::parse(wave(formatChunk(1) + "data" + u32(0x7ffff000) + sound + '\x05'), &error);
        QVERIFY2(audio, qPrintable(error));
        QCOMPARE(audio->sampleRate(), 22050);
        QCOMPARE(audio->samples(), sound);

        // Written out again, the header tells the truth and reads back to the same sound.
        const QByteArray bytes = audio->toBytes();
        QCOMPARE(bytes.size(), WavAudio::kHeaderSize + sound.size());
        QCOMPARE(bytes.sliced(4, 4), u32(36 + sound.size()));
        QCOMPARE(bytes.sliced(40, 4), u32(sound.size()));
        QCOMPARE(bytes.sliced(12, 24), formatChunk(1).first(24));
        audio = WavAudio::parse(bytes, &error);
        QVERIFY(audio);
        QCOMPARE(audio->samples(), sound);
    }

    void otherChunksAreSkippedAndStereoIsMixedDown() {
        // A chunk of odd length is padded to even; the data size here is exact and followed by more.
        const QByteArray list = "LIST" + u32(3) + "abc" + '\0';
        const QByteArray stereo = samples({100, 300, -50, -150});
        std::optional<WavAudio> audio = WavAudio::parse(
            wave(formatChunk(2) + list + "data" + u32(stereo.size()) + stereo + "junk" + u32(0)), nullptr);
        QVERIFY(audio);
        QCOMPARE(audio->samples(), samples({200, -100}));
        QCOMPARE(audio->sampleCount(), 2);
    }

    void fileThatIsNoUsableSoundIsRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray data = "data" + u32(4) + samples({1, 2});
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not RIFF") << QByteArray("RIFX") + u32(40) + "WAVE" + formatChunk(1) + data;
        QTest::newRow("not WAVE") << QByteArray("RIFF") + u32(40) + "AVI " + formatChunk(1) + data;
        QTest::newRow("8-bit") << wave(formatChunk(1, 8) + data);
        QTest::newRow("floating point") << wave(formatChunk(1, 16, 3) + data);
        QTest::newRow("no channels") << wave(formatChunk(0) + data);
        QTest::newRow("format cut short") << wave(formatChunk(1).first(14));
        QTest::newRow("sound before format") << wave(data + formatChunk(1));
        QTest::newRow("no sound") << wave(formatChunk(1));
        QTest::newRow("chunk size past the end") << wave(formatChunk(1) + "LIST" + u32(0xffffffff) + data);
    }

    void fileThatIsNoUsableSoundIsRefused() {
        QFETCH(QByteArray, bytes);
        QString error;
        QVERIFY(!WavAudio::parse(bytes, &error));
        QVERIFY(!error.isEmpty());
    }

    void savingReplacesWholeOrNotAtAll() {
        const WavAudio audio(22050, samples({7, 8, 9}));
        put("out.wav", "old content");
        QVERIFY(audio.save(path("out.wav")).isEmpty());
        QCOMPARE(contentOf("out.wav"), audio.toBytes());

        // A folder that is not there: an error that names the file, and nothing is left behind.
        const QString error = audio.save(path("missing/out.wav"));
        QVERIFY(error.contains(QStringLiteral("missing/out.wav")));
        QVERIFY(!QFile::exists(path("missing/out.wav")));
    }
};

QTEST_GUILESS_MAIN(WavAudioTest)
#include "WavAudioTest.moc"
