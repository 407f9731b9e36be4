// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildWidget.h"
#include "support/FakePrompter.h"
#include "support/ScratchFolder.h"
#include "support/VirtualTelvar.h"

#include "editor/Dictionary.h"
#include "editor/frmPhrase.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::codes;

namespace {

const QByteArray kWords = "PLACEBO\r\nAUTOMATIC\r\nEAT\r\n";
const QByteArray kCodes = "\xC7\x91\x82\xBB\x83\xAB\xA4"
                          "000\r\n"
                          "\x87\x87\x87\xBF\x88\x8C\x82\xBF\x81\xC4\r\n"
                          "\x80\xBF"
                          "00000000\r\n";

} // namespace

// The word editor window offscreen, on working files of its own; what it would speak is taken from
// its speech signal (the device is never attached: speaking on it is WordEditorSpeechTest's).
class WordEditorWindowTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    test::VirtualTelvar m_telvar;
    test::FakePrompter m_prompter;
    std::unique_ptr<QWidget> m_owner;
    QPointer<frmPhrase> m_editor;

    template <typename T> T* child(const char* name) const { return test::childOf<T>(m_editor, name); }

    QListWidget* wordList() const { return child<QListWidget>("wordList"); }
    QLineEdit* sayData() const { return child<QLineEdit>("txtSayData"); }
    QLineEdit* wordBox() const { return child<QLineEdit>("wordBox"); }
    QLineEdit* storedPhonetics() const { return child<QLineEdit>("storedPhoneticsBox"); }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }

    void open() {
        m_editor = frmPhrase::showEditor(m_owner.get(), m_folder.path(), m_telvar.link, m_prompter);
    }

    void closeEditor() {
        m_editor->close();
        QTRY_VERIFY(m_editor.isNull());
    }

    // Chooses word `row`, types `word` and `phonetics` and presses "Replace".
    void replaceWord(int row, const QString& word, const QString& phonetics) {
        wordList()->setCurrentRow(row);
        wordBox()->setText(word);
        sayData()->setText(phonetics);
        QTest::mouseClick(button("replaceButton"), Qt::LeftButton);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        put("tempw.txt", kWords);
        put("tempph.txt", kCodes);
        m_owner = std::make_unique<QWidget>();
        open();
    }

    void cleanup() { m_owner.reset(); }

    void choosingAWordShowsEightCodes() {
        QSignalSpy speech(m_editor.data(), &frmPhrase::speechRequested);
        QVERIFY(!button("replaceButton")->isEnabled());
        wordList()->setCurrentRow(1);
        QCOMPARE(wordBox()->text(), QStringLiteral("AUTOMATIC"));
        QCOMPARE(storedPhonetics()->text(), QStringLiteral("\\AW\\AW\\AW\\TT\\OH\\MM\\EY\\TT"));
        QCOMPARE(sayData()->text(), storedPhonetics()->text());
        QVERIFY(button("replaceButton")->isEnabled());
        QCOMPARE(speech.count(), 0);
    }

    void labelClicks() {
        QSignalSpy speech(m_editor.data(), &frmPhrase::speechRequested);
        QTest::mouseClick(child<QLabel>("allophoneIY"), Qt::LeftButton);
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY"));
        QTest::mouseClick(child<QLabel>("allophoneEH"), Qt::LeftButton);
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY\\EH"));
        QTest::mouseClick(child<QLabel>("allophoneRR"), Qt::RightButton);
        QCOMPARE(speech.count(), 1);
        QCOMPARE(speech.first().first().toByteArray(), codes({31, 148}));
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY\\EH"));
        QCOMPARE(m_editor->findChildren<QLabel*>(QRegularExpression(QStringLiteral("^allophone"))).size(),
                 72);
    }

    // Tab reaches the labels; the keys do what the mouse buttons do.
    void labelsByKeyboard_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("sayData");
        QTest::addColumn<int>("heard");
        QTest::newRow("Space uses") << int(Qt::Key_Space) << Qt::KeyboardModifiers() << "\\IY" << 0;
        QTest::newRow("Enter uses") << int(Qt::Key_Return) << Qt::KeyboardModifiers() << "\\IY" << 0;
        QTest::newRow("menu key hears") << int(Qt::Key_Menu) << Qt::KeyboardModifiers() << "" << 1;
        QTest::newRow("Shift+F10 hears")
            << int(Qt::Key_F10) << Qt::KeyboardModifiers(Qt::ShiftModifier) << "" << 1;
    }

    void labelsByKeyboard() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, sayData);
        QFETCH(int, heard);
        QSignalSpy speech(m_editor.data(), &frmPhrase::speechRequested);
        auto* label = child<QLabel>("allophoneIY");
        QVERIFY(label->focusPolicy() & Qt::TabFocus);
        QTest::keyClick(label, Qt::Key(key), modifiers);
        QCOMPARE(this->sayData()->text(), sayData);
        QCOMPARE(speech.size(), heard);
        if (heard)
            QCOMPARE(speech.first().first().toByteArray(), codes({31, 128}));
    }

    void sayAndCurrentSpeakTheExpandedText() {
        put(Dictionary::kFileName, "[Words]\nhello=\\HE \\EH \\LO \\OW\n");
        QSignalSpy speech(m_editor.data(), &frmPhrase::speechRequested);
        wordList()->setCurrentRow(2);
        sayData()->setText(QStringLiteral("hello,, \\IY"));
        QTest::mouseClick(button("bntSayIt"), Qt::LeftButton);
        QTest::mouseClick(button("currentButton"), Qt::LeftButton);
        QCOMPARE(speech.count(), 2);
        QCOMPARE(speech.at(0).first().toByteArray(), codes({31, 183, 131, 146, 137, 2, 2, 128}));
        QCOMPARE(speech.at(1).first().toByteArray(), codes({31, 128, 191}));

        // A bar that says nothing still sends the reset code.
        sayData()->setText(QStringLiteral("unknown"));
        QTest::mouseClick(button("bntSayIt"), Qt::LeftButton);
        QCOMPARE(speech.at(2).first().toByteArray(), codes({31}));
    }

    void replaceSaveAndReopen() {
        // Twelve codes: more than a stored line usually holds.
        replaceWord(0, QStringLiteral("  hello "),
                    QStringLiteral("\\HE \\EH \\LO \\OW \\HE \\EH \\LO \\OW \\HE \\EH \\LO \\OW"));
        QCOMPARE(wordList()->item(0)->text(), QStringLiteral("HELLO"));
        QCOMPARE(wordList()->currentRow(), -1);
        QVERIFY(wordList()->selectedItems().isEmpty());
        QVERIFY(!button("replaceButton")->isEnabled());
        QCOMPARE(contentOf("tempw.txt"), kWords); // nothing is written before "Save Edits"

        replaceWord(2, QStringLiteral("eat"), QString()); // an empty bar stores ten pads
        QTest::mouseClick(button("saveEditsButton"), Qt::LeftButton);
        QCOMPARE(wordList()->currentRow(), 2);
        QCOMPARE(wordBox()->text(), QStringLiteral("EAT"));
        QCOMPARE(contentOf("tempw.txt"), QByteArray("HELLO\r\nAUTOMATIC\r\nEAT\r\n"));
        const QByteArray hello = codes({183, 131, 146, 137, 183, 131, 146, 137, 183, 131, 146, 137});
        QCOMPARE(contentOf("tempph.txt"),
                 hello + "\r\n\x87\x87\x87\xBF\x88\x8C\x82\xBF\x81\xC4\r\n0000000000\r\n");

        closeEditor();
        open();
        QCOMPARE(wordList()->item(0)->text(), QStringLiteral("HELLO"));
        wordList()->setCurrentRow(0);
        QCOMPARE(storedPhonetics()->text(), QStringLiteral("\\HE\\EH\\LO\\OW").repeated(2));
        QCOMPARE(m_editor->workingList().phonetics().first(), hello);
    }

    void saveShowsTheLastWordAgain() {
        wordList()->setCurrentRow(2);
        sayData()->setText(QStringLiteral("\\OW\\OW"));
        QTest::mouseClick(button("saveEditsButton"), Qt::LeftButton);
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY\\TT"));
    }

    void openEditorIsShownNotReloaded() {
        const frmPhrase* first = m_editor;
        replaceWord(0, QStringLiteral("UNSAVED"), QStringLiteral("\\IY"));
        open();
        QCOMPARE(m_editor.data(), first);
        QCOMPARE(wordList()->item(0)->text(), QStringLiteral("UNSAVED"));
        // Closed without saving: the change is gone when it is opened again.
        m_prompter.saveAnswers << Prompter::SaveAnswer::Discard;
        closeEditor();
        open();
        QCOMPARE(wordList()->item(0)->text(), QStringLiteral("PLACEBO"));
    }

    void transferAfterReplaceCopiesTheSavedFiles() {
        replaceWord(0, QStringLiteral("UNSAVED"), QStringLiteral("\\IY"));
        QTest::mouseClick(button("transferEditsButton"), Qt::LeftButton);
        QCOMPARE(contentOf("mainw.txt"), kWords);
        QCOMPARE(contentOf("mainph.txt"), kCodes);
    }

    void refusedReplaceNamesTheWord() {
        replaceWord(1, QStringLiteral("broken"), QStringLiteral("\\IY \\13 \\EH"));
        QVERIFY2(m_editor->status().contains(QLatin1String("BROKEN")), qPrintable(m_editor->status()));
        QCOMPARE(wordList()->item(1)->text(), QStringLiteral("AUTOMATIC"));
        QCOMPARE(m_editor->workingList().phonetics().at(1).size(), 10);
    }

    void failuresAreReported() {
        QFile::remove(path("tempph.txt"));
        closeEditor();
        open();
        QVERIFY2(m_editor->status().contains(QLatin1String("tempph.txt")), qPrintable(m_editor->status()));
        QCOMPARE(wordList()->count(), 3);

        // The phonetic file is in the way: nothing is saved, and the window says so.
        QVERIFY(QDir(m_folder.path()).mkdir(QStringLiteral("tempph.txt")));
        replaceWord(0, QStringLiteral("CHANGED"), QStringLiteral("\\IY"));
        QTest::mouseClick(button("saveEditsButton"), Qt::LeftButton);
        QVERIFY2(m_editor->status().contains(QLatin1String("not saved")), qPrintable(m_editor->status()));
        QCOMPARE(contentOf("tempw.txt"), kWords);
    }
};

QTEST_MAIN(WordEditorWindowTest)
#include "WordEditorWindowTest.moc"
