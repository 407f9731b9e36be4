// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/EspeakMarkup.h"
#include "editor/MnemonicConversion.h"
#include "pronounce/EspeakPhonemes.h"
#include "pronounce/EspeakRenderer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using telvar::EspeakMarkup;
using telvar::espeakPhonemes;
using telvar::EspeakRenderer;
using telvar::MnemonicsToCodes;

namespace {

EspeakMarkup markupOf(const char* mnemonics) {
    return EspeakMarkup::fromCodes(MnemonicsToCodes(QString::fromLatin1(mnemonics)));
}

// The phoneme input of the markup, run by run: "[[h@l]] ... [[oU]]" gives {"h@l", "oU"}.
QStringList runsOf(const EspeakMarkup& markup) {
    QStringList runs;
    static const QRegularExpression run(QStringLiteral("\\[\\[([^\\]]*)\\]\\]"));
    for (const QRegularExpressionMatch& match : run.globalMatch(markup.text()))
        runs << match.captured(1);
    return runs;
}

} // namespace

class EspeakMarkupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyAllophoneIsASoundEspeakKnows() {
        QStringList all;
        for (int code = telvar::kFirstAllophone; code <= telvar::kLastAllophone; ++code) {
            const QString phonemes = espeakPhonemes(code);
            QVERIFY2(!phonemes.isEmpty(), qPrintable(QStringLiteral("code %1 maps to nothing").arg(code)));
            QCOMPARE(EspeakMarkup::fromCodes(QByteArray(1, char(code))).phonemeCount(), 1);
            all << phonemes;
        }
        QVERIFY(espeakPhonemes(telvar::kFirstAllophone - 1).isEmpty());
        QVERIFY(espeakPhonemes(telvar::kLastAllophone + 1).isEmpty());

        // espeak-ng echoes back the phonemes it understood; one it does not know would be missing or
        // spelled differently. Commas keep it from linking neighbours ("A@r-").
        const QString program = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
        if (program.isEmpty())
            QSKIP("espeak-ng is not installed, so its phoneme names cannot be checked");
        QProcess espeak;
        espeak.start(program, {QStringLiteral("-q"), QStringLiteral("-x"),
                               QStringLiteral("[[%1]]").arg(all.join(QStringLiteral("]], [[")))});
        QVERIFY(espeak.waitForFinished(30000));
        const QStringList echoed = QString::fromUtf8(espeak.readAllStandardOutput())
                                       .remove(u'\'')
                                       .split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        QCOMPARE(echoed, all);
    }

    void valuesOfControlCodesAreNotSpoken() {
        // 128 after \SPEED is the speed, not \IY; the note gives the pitch code and a frequency of 110.
        EspeakMarkup markup = markupOf("\\SPEED \\128 \\VOLUME \\140 \\NTA2 \\BEND \\129 \\HE");
        QCOMPARE(markup.phonemeCount(), 1);
        QCOMPARE(runsOf(markup), QStringList{QStringLiteral("h")});
        QVERIFY(markup.text().contains(QStringLiteral("rate=\"112%\"")));
        QVERIFY(markup.text().contains(QStringLiteral("volume=\"145%\"")));
        QVERIFY(markup.text().contains(QStringLiteral("pitch=\"125%\"")));

        // Port, phrase and repeat codes take their value along too; one left without a value at the end
        // is dropped.
        markup = markupOf("\\POUT \\130 \\PCTRL \\131 \\CALL \\132 \\PLAY \\133 \\MM \\PITCH");
        QCOMPARE(runsOf(markup), QStringList{QStringLiteral("m")});
    }

    void prosodyFollowsTheCodesAndResetEndsIt() {
        const EspeakMarkup markup = markupOf("\\IY \\PITCH \\176 \\EH \\RESET \\OW");
        QCOMPARE(runsOf(markup),
                 (QStringList{QStringLiteral("'i:"), QStringLiteral("'E"), QStringLiteral("'oU")}));
        QCOMPARE(markup.text().count(QStringLiteral("<prosody")), 1);
        QCOMPARE(markup.text().count(QStringLiteral("</prosody>")), 1);
        QVERIFY(markup.text().indexOf(QStringLiteral("</prosody>")) <
                markup.text().indexOf(QStringLiteral("[['oU]]")));
        // A change back to the defaults needs no prosody at all; extremes stay within what espeak-ng speaks.
        QVERIFY(!markupOf("\\PITCH \\88 \\IY").text().contains(QStringLiteral("prosody")));
        QVERIFY(markupOf("\\SPEED \\1 \\IY").text().contains(QStringLiteral("rate=\"20%\"")));
    }

    void pausesAndDelaysKeepTheirLength() {
        // \P0 to \P6, then a delay of 25 tens of milliseconds.
        const EspeakMarkup markup =
            markupOf("\\HE \\P0 \\P1 \\P2 \\P3 \\EH \\P4 \\P5 \\P6 \\DELAY \\25 \\LO");
        QCOMPARE(markup.pauseMs(), 100 + 200 + 700 + 30 + 60 + 90 + 250);
        QCOMPARE(runsOf(markup),
                 (QStringList{QStringLiteral("h"), QStringLiteral("'E"), QStringLiteral("l")}));
        QCOMPARE(markup.text().count(QStringLiteral("<break")), 7);
        QVERIFY(!markup.isEmpty());
        QVERIFY(!markupOf("\\P3").isEmpty());
    }

    // A run the codes leave unstressed is stressed on its first full vowel, else its first vowel; the
    // neutral vowel, R and the syllabic L sound after their neighbours and the stress.
    void soundsFollowStressAndNeighbours_data() {
        QTest::addColumn<QString>("mnemonics");
        QTest::addColumn<QString>("run");
        QTest::newRow("neutral vowel first") << "\\PO \\AX \\TT \\EYIY \\TT"
                                             << "p@t'eIt";
        QTest::newRow("only neutral vowels") << "\\AX \\BO \\EHLE"
                                             << "'Vb@L";
        QTest::newRow("no vowel") << "\\SH \\SE"
                                  << "Ss";
        QTest::newRow("each run on its own") << "\\AX \\IY \\P1 \\AX \\OW"
                                             << "@'i: @'oU";
        QTest::newRow("stress the codes give") << "\\IY \\STRESS \\OW \\AX \\STRESS \\AX"
                                               << "i:'oU@'V";
        QTest::newRow("glide before a vowel") << "\\IYEH \\EH \\SE"
                                              << "j'Es";
        QTest::newRow("glide stressed by the codes") << "\\STRESS \\IYEH \\SE"
                                                     << "j'Es";
        QTest::newRow("glide before no vowel") << "\\MM \\IH \\LE \\IYEH \\NE"
                                               << "m'IljEn";
        QTest::newRow("R between consonants") << "\\BE \\EH \\TT \\RR \\ED"
                                              << "b'Et3d";
        QTest::newRow("R doubled at the end") << "\\SE \\UX \\PO \\RR \\RR"
                                              << "s'up3r";
        QTest::newRow("R before and after vowels") << "\\RR \\IH \\TT \\RR \\AX \\EH \\RR"
                                                   << "r'Itr@Er";
        QTest::newRow("L syllabic after a consonant") << "\\SE \\AY \\DO \\EHLE"
                                                      << "s'ad@L";
        QTest::newRow("L on its own") << "\\EHLE \\SE"
                                      << "'Els";
        QTest::newRow("L stressed by the codes") << "\\SE \\STRESS \\EHLE \\FF"
                                                 << "s'Elf";
    }
    void soundsFollowStressAndNeighbours() {
        QFETCH(QString, mnemonics);
        QFETCH(QString, run);
        QCOMPARE(runsOf(markupOf(mnemonics.toLatin1().constData())).join(QLatin1Char(' ')), run);
    }

    void stressAndRepeatShapeTheNextSoundOnly() {
        QCOMPARE(runsOf(markupOf("\\HE \\STRESS \\EH \\LO \\REPEAT \\3 \\OW \\OW")),
                 QStringList{QStringLiteral("h'EloUoUoUoU")});
        // Repeating nothing still says the sound once.
        QCOMPARE(markupOf("\\REPEAT \\0 \\IY").phonemeCount(), 1);
    }

    // espeak-ng says nothing for, or crashes on, one long uninterrupted run of phonemes: such phrases must
    // still come out whole. The stressed \IYUW and \TS give the most phonemes per code.
    void longPhrasesRenderWhole_data() {
        QTest::addColumn<QString>("mnemonics");
        QTest::addColumn<int>("phonemes");
        const auto times = [](const char* token, int count) {
            QStringList tokens;
            for (int n = 0; n < count; ++n)
                tokens << QString::fromLatin1(token);
            return tokens.join(u' ');
        };
        QTest::newRow("400 IY") << times("\\IY", 400) << 400;
        QTest::newRow("300 stressed IYUW") << times("\\STRESS \\IYUW", 300) << 300;
        QTest::newRow("TS repeated 255 times") << QStringLiteral("\\REPEAT \\255 \\TS") << 255;
        QTest::newRow("1000 mixed") << times("\\HE \\EH \\LO \\OWWW", 250) << 1000;
    }
    void longPhrasesRenderWhole() {
        QFETCH(QString, mnemonics);
        QFETCH(int, phonemes);
        const QByteArray codes = MnemonicsToCodes(mnemonics);
        QCOMPARE(EspeakMarkup::fromCodes(codes).phonemeCount(), phonemes);
        if (EspeakRenderer::programPath().isEmpty())
            QSKIP("espeak-ng is not installed");
        const telvar::SpeechRendering rendering = QCoro::waitFor(EspeakRenderer::render(codes));
        QVERIFY2(rendering.audio, qPrintable(rendering.error));
        // Far more than espeak-ng's silence for a phrase it gave up on: some 20 ms a sound at least.
        QVERIFY2(rendering.audio->durationMs() > 20 * phonemes,
                 qPrintable(QString::number(rendering.audio->durationMs())));
    }

    void codesWithoutACounterpartSayNothing() {
        // Sound effects, fast, slow, soft, relax, wait, unknown codes and a lone reset.
        QVERIFY(
            markupOf("\\R0 \\D11 \\M2 \\FAST \\SLOW \\SOFT \\RELAX \\WAIT \\RESET \\100 \\255").isEmpty());
        QVERIFY(EspeakMarkup::fromCodes({}).isEmpty());
        QCOMPARE(runsOf(markupOf("\\FAST \\IY \\C3 \\SOFT \\EH")), QStringList{QStringLiteral("'i:E")});
    }
};

QTEST_GUILESS_MAIN(EspeakMarkupTest)
#include "EspeakMarkupTest.moc"
