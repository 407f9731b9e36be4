// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildWidget.h"
#include "support/FakePrompter.h"
#include "support/ScratchFolder.h"
#include "support/VirtualTelvar.h"

#include "editor/frmPhrase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>

using namespace telvar;

// The word editor's "Suggest" button on a pronouncing dictionary of the test's own; espeak-ng is a
// script of the test's, or nothing.
class WordEditorSuggestTest : public QObject, protected telvar::test::ScratchFolder {
    Q_OBJECT

    test::VirtualTelvar m_telvar;
    test::FakePrompter m_prompter;
    std::unique_ptr<QWidget> m_owner;
    QPointer<frmPhrase> m_editor;

    template <typename T> T* child(const char* name) const { return test::childOf<T>(m_editor, name); }
    QLineEdit* sayData() const { return child<QLineEdit>("txtSayData"); }
    QLineEdit* wordBox() const { return child<QLineEdit>("wordBox"); }
    QPushButton* suggestButton() const { return child<QPushButton>("suggestButton"); }

    // Opens the editor with the pronouncing sources the environment names now.
    void open(const QString& dictionary, const QString& espeak) {
        qputenv("TELVAR_CMUDICT", dictionary.toLocal8Bit());
        qputenv("TELVAR_ESPEAK", espeak.toLocal8Bit());
        qputenv("XDG_CACHE_HOME", path("cache").toLocal8Bit());
        m_owner = std::make_unique<QWidget>();
        m_editor = frmPhrase::showEditor(m_owner.get(), m_folder.path(), m_telvar.link, m_prompter);
    }

    void suggestFor(const QString& word) {
        wordBox()->setText(word);
        QTest::mouseClick(suggestButton(), Qt::LeftButton);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(clearFolder());
        put("tempw.txt", "EAT\r\n");
        put("tempph.txt", "\x80\xBF"
                          "00000000\r\n");
        put("test.dict", "hello HH AH L OW\nwho HH UW\n");
    }

    void cleanup() {
        m_owner.reset();
        QThreadPool::globalInstance()->waitForDone();
        qunsetenv("TELVAR_CMUDICT");
        qunsetenv("TELVAR_ESPEAK");
        qunsetenv("XDG_CACHE_HOME");
    }

    void suggestionReplacesTheSayDataBar() {
        open(path("test.dict"), path("no-espeak-ng"));
        sayData()->setText(QStringLiteral("\\IY"));
        suggestFor(QStringLiteral(" hello "));
        QTRY_COMPARE(sayData()->text(), QStringLiteral("\\HO \\AX \\LO \\OWWW"));
        QVERIFY(suggestButton()->isEnabled());
        suggestFor(QStringLiteral("WHO"));
        QTRY_COMPARE(sayData()->text(), QStringLiteral("\\WH \\IHWW"));
    }

    void unknownOrMissingWordLeavesTheBarAlone() {
        open(path("test.dict"), path("no-espeak-ng"));
        sayData()->setText(QStringLiteral("\\IY"));
        suggestFor(QStringLiteral("zorblax"));
        QTRY_VERIFY(suggestButton()->isEnabled());
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY"));
        QVERIFY2(m_editor->status().contains(QStringLiteral("zorblax")), qPrintable(m_editor->status()));
        suggestFor(QString());
        QCOMPARE(sayData()->text(), QStringLiteral("\\IY"));
        QVERIFY(suggestButton()->isEnabled());
    }

    void withoutSourcesTheButtonSaysWhatToInstall() {
        open(path("none.dict"), path("no-espeak-ng"));
        QVERIFY(!suggestButton()->isEnabled());
        QVERIFY(suggestButton()->toolTip().contains(QStringLiteral("pocketsphinx-en-us")));
        QVERIFY(suggestButton()->toolTip().contains(QStringLiteral("espeak-ng")));
    }

    // espeak-ng runs on a worker: the window stays usable while it works, and closing the window
    // before it answers drops the answer.
    void slowFallbackNeitherFreezesNorOutlivesTheWindow() {
        // It cannot say letters one by one, so it never takes a word for spelled.
        put("espeak", "#!/bin/sh\ncase \"$5\" in *,*) exit 1 ;; esac\nwhile [ ! -e '" +
                          path("go").toLocal8Bit() +
                          "' ]; do sleep 0.01; done\n"
                          "echo \"z'o@blaks\"\n");
        QFile(path("espeak")).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        open(path("test.dict"), path("espeak"));
        suggestFor(QStringLiteral("zorblax"));
        QVERIFY(!suggestButton()->isEnabled());
        sayData()->setText(QStringLiteral("\\EH")); // the event loop is not held up
        put("go", "");
        QTRY_COMPARE(sayData()->text(), QStringLiteral("\\ZZ \\OWRR \\BO \\LE \\AY \\EK \\SE"));

        QFile::remove(path("go"));
        suggestFor(QStringLiteral("zorblax"));
        m_editor->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_editor.isNull());
        put("go", "");
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(WordEditorSuggestTest)
#include "WordEditorSuggestTest.moc"
