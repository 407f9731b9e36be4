// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PhonemeFallback.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar::pronounce;
using namespace std::chrono_literals;

namespace {

// "HH AH0 L OW1": the phones with their stress digit, none where the stress is unknown.
QString textOf(const std::optional<Phones>& phones) {
    if (!phones)
        return QStringLiteral("<nothing>");
    QStringList fields;
    for (const Phone& phone : *phones)
        fields << phone.name +
                      (phone.stress == Phone::kUnknownStress ? QString() : QString::number(phone.stress));
    return fields.join(QLatin1Char(' '));
}

} // namespace

// espeak-ng's phoneme text in ARPAbet, and what happens when the program misbehaves; the program itself
// is replaced by small scripts, so this runs without espeak-ng.
class PhonemeFallbackTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    // A stand-in for espeak-ng: a shell script with the given body.
    QString script(const char* name, const QByteArray& body) {
        const QString path = m_folder.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private Q_SLOTS:
    void phonemeTextBecomesArpabet_data();
    void phonemeTextBecomesArpabet();
    void programOutputIsRead();
    void misbehavingProgramGivesNothing();
    void onlyWordsInLettersAreRead();
};

void PhonemeFallbackTest::phonemeTextBecomesArpabet_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto add = [](const char* tag, const char* text, const char* expected) {
        QTest::newRow(tag) << QString::fromUtf8(text) << QString::fromLatin1(expected);
    };
    add("stress on the second syllable", "h@l'oU", "HH AH0 L OW1");
    add("syllabic L", "tr'av@L", "T R AE1 V AH0 L");
    // The R that espeak-ng writes after an R-coloured vowel is not a second R.
    add("r-coloured vowel", "j'U@r@p", "Y UH1 R AH0 P");
    add("long vowel and secondary stress", ",Ant@m'atIk", "AA2 N T AH0 M AE1 T IH0 K");
    add("marks and pauses", "_'at__at_", "AE1 T AE0 T");
    add("affricate", "tS'3:tS", "CH ER1 CH");
    add("unknown symbol", "h@l'oU\u00a7", "<nothing>");
    add("empty", "", "<nothing>");
    add("marks only", "_:_", "<nothing>");
}

void PhonemeFallbackTest::phonemeTextBecomesArpabet() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(textOf(PhonemeFallback::fromPhonemeText(text)), expected);
}

void PhonemeFallbackTest::programOutputIsRead() {
    // The word reaches the program in lower case, after its options.
    const PhonemeFallback fallback(script("echoing", "[ \"$5\" = zorblax ] && echo \" z'o@blaks\""));
    QVERIFY(fallback.isAvailable());
    QCOMPARE(textOf(fallback.read(QStringLiteral("ZORBLAX"))), QStringLiteral("Z AO1 R B L AE0 K S"));
}

void PhonemeFallbackTest::misbehavingProgramGivesNothing() {
    QVERIFY(!PhonemeFallback(script("failing", "echo \"h@l'oU\"; exit 3")).read(QStringLiteral("hello")));
    QVERIFY(!PhonemeFallback(script("silent", "exit 0")).read(QStringLiteral("hello")));
    QVERIFY(!PhonemeFallback(script("garbled", "echo '\\xff\\xfe'")).read(QStringLiteral("hello")));
    // One that hangs is given up on at the time limit.
    QVERIFY(!PhonemeFallback(script("hanging", "exec sleep 30"), 100ms).read(QStringLiteral("hello")));
    const PhonemeFallback missing(m_folder.filePath(QStringLiteral("no-such-program")));
    QVERIFY(!missing.isAvailable());
    QVERIFY(!missing.read(QStringLiteral("hello")));
    QVERIFY(!PhonemeFallback(QString()).isAvailable());
}

void PhonemeFallbackTest::onlyWordsInLettersAreRead() {
    // espeak-ng would read these aloud symbol by symbol ("@@" as "at at"); they are no words. The stand-in
    // reads any word alike, but cannot say letters one by one.
    const PhonemeFallback fallback(script("anything", "case \"$5\" in *,*) exit 1 ;; esac; echo \"h@l'oU\""));
    for (const char* text : {"@@", "123", "hello world", "", "-x", "a'", "caf\xc3\xa9"})
        QVERIFY2(!fallback.read(QString::fromUtf8(text)), text);
    QVERIFY(fallback.read(QStringLiteral("don't")));
}

QTEST_GUILESS_MAIN(PhonemeFallbackTest)
#include "PhonemeFallbackTest.moc"
