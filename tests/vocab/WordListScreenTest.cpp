#include "support/VirtualTelvar.h"
#include "support/FakeScreenHost.h"

#include "device/Timings.h"
#include "vocab/VocabularyLoader.h"
#include "vocab/WordListFiles.h"
#include "vocab/WordListScreen.h"
#include "vocab/WordListUpload.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace telvar;
using telvar::test::FakeScreenHost;
using telvar::test::VirtualTelvar;

namespace {

// The screen over the virtual device, with the built-in vocabulary loaded.
struct Fixture {
    QTemporaryDir folder;
    VirtualTelvar telvar;
    FakeScreenHost host{telvar.link, folder.path()};
    std::unique_ptr<WordListScreen> screen;

    bool start() {
        const VocabularyTables builtin = VocabularyLoader::builtinTables();
        host.vocabulary().assign(builtin.list1, builtin.list3, builtin.codes);
        screen = std::make_unique<WordListScreen>(host);
        screen->show();
        return telvar.attach() && QTest::qWaitForWindowExposed(screen.get());
    }

    template <typename T> T* find(const char* name) const {
        return screen->findChild<T*>(QLatin1String(name));
    }

    QPushButton* button(const QString& caption) const {
        for (QPushButton* candidate : screen->findChildren<QPushButton*>()) {
            if (candidate->text() == caption)
                return candidate;
        }
        return nullptr;
    }

    void click(const QString& caption) const {
        QPushButton* target = button(caption);
        QVERIFY2(target, qPrintable(caption));
        QTest::mouseClick(target, Qt::LeftButton);
    }
};

} // namespace

class WordListScreenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Timings::setDivisor(10); }
    void cleanup() { Timings::setDivisor(1); }

    void controlsCarryTheirTexts() {
        Fixture f;
        QVERIFY(f.start());
        const QList<std::pair<QString, QString>> buttons{
            {QStringLiteral("Read Words Spoken"),
             QStringLiteral("Recovers the words spoken  from the Telvar X Current")},
            {QStringLiteral("Read all words in Memory"), QStringLiteral("Read All Stored Words In Memory")},
            {QStringLiteral("Clear last word"), QStringLiteral("Clear the Telvar Word Count")},
            {QStringLiteral("Clear Stored memory"), QStringLiteral("Clear all stored word Memory")},
            {QStringLiteral("Send Word List To RLD "), QStringLiteral("Send Word List to RLD or MVR")},
            {QStringLiteral("Re-Load Word List"), QStringLiteral("Reload system words to QN")},
            {QStringLiteral("Word Editor"), QStringLiteral("Open The Phonetic Word Editor")},
            {QStringLiteral("Transfer Edits"), QStringLiteral("Replace Word Files with Edited Files")},
            {QStringLiteral("Say Word"), QStringLiteral("Click on a word to hear it spoken")},
        };
        for (const auto& [caption, toolTip] : buttons) {
            QPushButton* button = f.button(caption);
            QVERIFY2(button, qPrintable(caption));
            QCOMPARE(button->toolTip(), toolTip);
        }
        QVERIFY(f.button(QStringLiteral("Word Editor"))->isEnabled());

        auto* resultBox = f.find<QPlainTextEdit>("Text27");
        QVERIFY(resultBox->isHidden());
        QCOMPARE(resultBox->toPlainText(), QStringLiteral("Text27"));

        auto* list = f.find<QListWidget>("List3");
        QCOMPARE(list->toolTip(), QStringLiteral("Click on a word to hear the word spoken"));
        QCOMPARE(list->count(), 2049);

        auto* slider = f.find<QScrollBar>("HScroll7");
        auto* number = f.find<QLineEdit>("Text8");
        QCOMPARE(slider->minimum(), 0);
        QCOMPARE(slider->maximum(), 2048);
        QCOMPARE(slider->value(), 200);
        QCOMPARE(number->text(), QStringLiteral("200"));
        slider->setValue(0);
        QCOMPARE(number->text(), QStringLiteral(" 1"));

        auto* unitBox = f.screen->findChild<QCheckBox*>();
        QCOMPARE(unitBox->text(), QStringLiteral("Send to RLD / MVR"));
        QCOMPARE(unitBox->toolTip(), QStringLiteral("Click here to turn on or off  output  to RLD or MVR"));
        QVERIFY(!unitBox->isChecked());
    }

    // Whether it completes or the device leaves half way, the upload gives back every control it hid.
    void uploadHidesControlsAndGivesThemBack_data() {
        QTest::addColumn<bool>("unplug");
        QTest::newRow("complete") << false;
        QTest::newRow("unplugged at word 10") << true;
    }
    void uploadHidesControlsAndGivesThemBack() {
        QFETCH(bool, unplug);
        Fixture f;
        QVERIFY(f.start());
        auto* list = f.find<QListWidget>("List3");
        auto* sayWordFrame = f.find<QWidget>("sayWordFrame");
        bool hiddenWhileRunning = false;
        connect(&f.telvar.link, &DeviceLink::reportSent, f.screen.get(), [&] {
            if (f.telvar.sent.size() != 2 + 2 * 10) // the request for word 10
                return;
            hiddenWhileRunning = list->isHidden() && sayWordFrame->isHidden() && !f.host.tabStripVisible &&
                                 f.host.pleaseWaitVisible && f.host.progressTotal == WordListUpload::kRows;
            if (unplug)
                f.telvar.library.unplug();
        });

        f.click(QStringLiteral("Re-Load Word List"));

        QVERIFY(test::runUntil([&] { return !f.telvar.link.sequenceRunning(); }));
        QVERIFY(hiddenWhileRunning);
        QCOMPARE(f.host.fakePrompter().texts.first(), WordListUpload::confirmationText());
        QVERIFY(!list->isHidden());
        QVERIFY(!sayWordFrame->isHidden());
        QVERIFY(f.host.tabStripVisible);
        QVERIFY(!f.host.pleaseWaitVisible);
        QCOMPARE(f.host.progressTotal, 0);
        QCOMPARE(f.host.setupFrameShown, 1);
        if (unplug) {
            QVERIFY(f.host.status().startsWith(QStringLiteral("Upload stopped at word 10: ")));
            QTRY_COMPARE(f.host.fakePrompter().texts.size(), 2);
            QVERIFY(f.host.fakePrompter().texts.last().startsWith(f.host.status()));
        } else {
            QCOMPARE(f.host.status(), QStringLiteral("Upload Complete"));
        }
    }

    void clickingAWordSpeaksIt() {
        Fixture f;
        QVERIFY(f.start());
        auto* list = f.find<QListWidget>("List3");
        QSignalSpy selected(f.screen.get(), &WordListScreen::internalWordSelected);
        bool listDisabledWhileSpeaking = false;
        connect(&f.telvar.link, &DeviceLink::reportSent, f.screen.get(),
                [&] { listDisabledWhileSpeaking = !list->isEnabled(); });

        QListWidgetItem* item = list->item(31);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());

        QTRY_COMPARE(f.telvar.sentWith('S').size(), 1);
        QCOMPARE(f.find<QScrollBar>("HScroll7")->value(), 31);
        QCOMPARE(f.find<QLineEdit>("Text8")->text(), QStringLiteral(" 32"));
        const auto address = f.telvar.sentWith('A').first();
        QCOMPARE(address[2], quint8(248));
        QCOMPARE(address[3], quint8(0));
        QVERIFY(listDisabledWhileSpeaking);
        QTRY_VERIFY(list->isEnabled());
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().first().toInt(), 31);

        // The unit gets the word number too once the box is ticked.
        f.screen->findChild<QCheckBox*>()->setChecked(true);
        f.click(QStringLiteral("Say Word"));
        QTRY_COMPARE(f.telvar.sentWith('!').size(), 11);
        QCOMPARE(f.host.status(), QStringLiteral(" AA = 00031"));
    }

    void readingFillsTheResultBox() {
        Fixture f;
        QVERIFY(f.start());
        DeviceState state = DeviceState::factory();
        state.eraseRecord();
        state.record[0] = 8 * 5;
        f.telvar.device().setState(state);
        auto* resultBox = f.find<QPlainTextEdit>("Text27");

        f.click(QStringLiteral("Read Words Spoken"));

        QTRY_VERIFY(!f.telvar.link.sequenceRunning());
        QVERIFY(!resultBox->isHidden());
        QCOMPARE(resultBox->toPlainText(),
                 QStringLiteral(" 1 number of words\n 1 : ") + f.host.vocabulary().list3().at(5));
        QVERIFY(!f.host.pleaseWaitVisible);
    }

    void transferEditsReplacesTheWordList() {
        Fixture f;
        QVERIFY(f.start());
        const WordListFiles files(f.folder.path());
        QString error;
        QVERIFY(files.writeWords(WordListFiles::kTempWords, {QStringLiteral("ALPHA"), QStringLiteral("BETA")},
                                 &error));
        Vocabulary::CodeTable codes{};
        codes.fill(Vocabulary::kPad);
        QVERIFY(files.writeCodes(WordListFiles::kTempCodes, codes, 2, &error));

        f.host.fakePrompter().answers.enqueue(false);
        f.click(QStringLiteral("Transfer Edits"));
        QCOMPARE(f.find<QListWidget>("List3")->count(), 2049);

        f.click(QStringLiteral("Transfer Edits"));
        QTRY_COMPARE(f.find<QListWidget>("List3")->count(), 2);
        QCOMPARE(f.host.fakePrompter().texts.last(),
                 QStringLiteral("This will Transfer Temporary Edits made in the word editor to the main "
                                "program, Continue ?"));
        QCOMPARE(f.host.vocabulary().list1(), (QStringList{QStringLiteral("ALPHA"), QStringLiteral("BETA")}));
        QVERIFY(!f.host.pleaseWaitVisible);
    }

    void failuresWithoutFilesChangeNothing() {
        Fixture f;
        QVERIFY(f.start());
        const QStringList before = f.host.vocabulary().list3();

        f.click(QStringLiteral("Transfer Edits"));
        QTRY_COMPARE(f.host.fakePrompter().texts.size(), 2); // the question, then what was missing
        QCOMPARE(f.host.vocabulary().list3(), before);

        f.click(QStringLiteral("Send Word List To RLD "));
        QTRY_COMPARE(f.host.fakePrompter().texts.size(), 4);
        QVERIFY(f.host.fakePrompter().texts.last().contains(QStringLiteral("mainw.txt")));
        QVERIFY(f.telvar.sent.isEmpty());
        QVERIFY(!f.host.pleaseWaitVisible);
    }
};

QTEST_MAIN(WordListScreenTest)
#include "WordListScreenTest.moc"
