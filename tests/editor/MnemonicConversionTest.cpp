// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/MnemonicConversion.h"
#include "editor/MnemonicTable.h"
#include "support/ScratchFolder.h"

#include <QTest>

#include <initializer_list>

using namespace telvar;
using telvar::test::codes;

class MnemonicConversionTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalize_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("normalized");
        QTest::newRow("separators and case") << "\\ iy,eh"
                                             << " \\IY \\EH";
        QTest::newRow("leading token keeps no backslash") << "IY EH"
                                                          << "IY \\EH";
        QTest::newRow("runs collapse") << "\\\\IY ,; \\\\ EH"
                                       << " \\IY \\EH";
        QTest::newRow("trailing separators vanish") << "\\IY\\,, "
                                                    << " \\IY";
        QTest::newRow("only separators") << " \\,\\ "
                                         << "";
        QTest::newRow("accented letters separate") << QString::fromUtf8("\\IY\u00e9EH") << " \\IY \\EH";
        QTest::newRow("characters beyond the basic plane")
            << QString::fromUtf8("\\IY\U0001F600EH") << " \\IY \\EH";
    }
    void normalize() {
        QFETCH(QString, text);
        QFETCH(QString, normalized);
        QCOMPARE(NormalizeMnemonics(text), normalized);
        QCOMPARE(NormalizeMnemonics(normalized), normalized);
    }

    void toCodes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("lower case with blank") << "\\iy \\eh" << codes({128, 131});
        QTest::newRow("no blank") << "\\IY\\EH" << codes({128, 131});
        QTest::newRow("P0") << "\\P0" << codes({0});
        QTest::newRow("backslash zero") << "\\0" << codes({0});
        QTest::newRow("double zero is nothing") << "\\00" << QByteArray();
        QTest::newRow("zeros in a row") << "\\P0\\0\\00\\P1" << codes({0, 0, 1});
        QTest::newRow("note A2") << "\\NTA2" << codes({22, 110});
        QTest::newRow("note B3") << "\\NTB3" << codes({22, 247});
        QTest::newRow("sharp note") << "\\NTF#2" << codes({22, 93});
        QTest::newRow("R0 mnemonic") << "\\R0" << codes({200});
        QTest::newRow("R0 number") << "\\200" << codes({200});
        QTest::newRow("255 without a mnemonic") << "\\255" << codes({255});
        QTest::newRow("number then letters") << "\\12IY" << codes({12});
        QTest::newRow("value after control") << "\\SPEED \\114" << codes({21, 114});
        QTest::newRow("leading number without backslash") << "12" << codes({2});
        QTest::newRow("leading mnemonic without backslash") << "IY \\EH" << codes({131});
        QTest::newRow("unknown token dropped") << "\\IY \\XYZ \\EH" << codes({128, 131});
        QTest::newRow("sharp alone") << "\\# \\IY" << codes({128});
        QTest::newRow("above 255 dropped") << "\\IY \\256 \\EH" << codes({128, 131});
        QTest::newRow("huge number dropped") << "\\99999999999999999999999 \\EH" << codes({131});
        QTest::newRow("separator runs") << " ,\\IY ,, ;\\\\EH,,, " << codes({128, 131});
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("only separators") << "\\ \\ ," << QByteArray();
    }
    void toCodes() {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(MnemonicsToCodes(text), expected);
    }

    void toMnemonics_data() {
        QTest::addColumn<QByteArray>("codeString");
        QTest::addColumn<QString>("text");
        QTest::newRow("pads show nothing") << codes({140, 48, 48}) << "\\MM";
        QTest::newRow("no separator") << codes({128, 131}) << "\\IY\\EH";
        QTest::newRow("code 0") << codes({0, 255}) << "\\P0";
        QTest::newRow("codes without entries") << codes({9, 10, 11, 12, 13, 17, 19, 27, 32, 127, 255}) << "";
    }
    void toMnemonics() {
        QFETCH(QByteArray, codeString);
        QFETCH(QString, text);
        QCOMPARE(CodesToMnemonics(codeString), text);
    }

    // Every code with a mnemonic comes back from its own text, whatever its neighbours.
    void everyCodeSurvivesARoundTrip() {
        QByteArray all;
        QByteArray named;
        for (int code = 0; code < 256; ++code) {
            all.append(char(code));
            if (!MnemonicTable()[code].isEmpty())
                named.append(char(code));
        }
        QCOMPARE(MnemonicsToCodes(CodesToMnemonics(all)), named);
        QCOMPARE(MnemonicsToCodes(CodesToMnemonics(all).toLower()), named);
    }
};

QTEST_GUILESS_MAIN(MnemonicConversionTest)
#include "MnemonicConversionTest.moc"
