// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/FakeScreenHost.h"
#include "support/VirtualTelvar.h"

#include "device/BusyControls.h"
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
#include <QTimer>

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
        screen->activateWindow();
        return telvar.attach() && QTest::qWaitForWindowActive(screen.get());
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

    QListWidget* list() const { return find<QListWidget>("List3"); }
    QScrollBar* slider() const { return find<QScrollBar>("HScroll7"); }
    QLineEdit* number() const { return find<QLineEdit>("Text8"); }

    // List and slider on word `index`, the number box on its number, counted from 1.
    bool showWord(int index) const {
        return list()->currentRow() == index && slider()->value() == index &&
               number()->text() == QStringLiteral(" %1").arg(index + 1);
    }

    // Waits until `count` words have been spoken and the device is free again.
    bool spokenWait(int count) {
        return test::runUntil(
            [&] { return telvar.spoken().size() >= count && !telvar.link.sequenceRunning(); });
    }
};

// The spoken-word record holds the words at these indexes from entry 0 on; the count says `count`.
void setRecord(VirtualDevice& device, const QList<int>& words, int count) {
    DeviceState state = DeviceState::factory();
    state.eraseRecord();
    for (int k = 0; k < words.size(); ++k)
        state.record[k] = static_cast<quint16>(8 * words.at(k));
    state.config[DeviceState::SpokenCountLow] = count % 256;
    state.config[DeviceState::SpokenCountHigh] = count / 256;
    device.setState(state);
}

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
        QCOMPARE(number->text(), QStringLiteral(" 201"));
        QCOMPARE(list->currentRow(), 200);

        auto* unitBox = f.screen->findChild<QCheckBox*>();
        QCOMPARE(unitBox->text(), QStringLiteral("Send to RLD / MVR"));
        QCOMPARE(unitBox->toolTip(), QStringLiteral("Click here to turn on or off  output  to RLD or MVR"));
        QVERIFY(!unitBox->isChecked());
    }

    // The number box counts words from 1 while the slider, the list and the device count from 0, to the
    // first and the last word.
    void theNumberBoxCountsFromOne_data() {
        QTest::addColumn<int>("typed");
        QTest::newRow("first") << 1;
        QTest::newRow("last") << 2049;
    }
    void theNumberBoxCountsFromOne() {
        QFETCH(int, typed);
        const int index = typed - 1;
        Fixture f;
        QVERIFY(f.start());
        f.number()->setFocus();
        f.number()->selectAll();
        QTest::keyClicks(f.number(), QString::number(typed));
        QTest::keyClick(f.number(), Qt::Key_Return);
        QVERIFY(f.showWord(index));

        // Say Word speaks the word at its index; the unit is told the index too.
        f.screen->findChild<QCheckBox*>()->setChecked(true);
        f.click(QStringLiteral("Say Word"));
        QVERIFY(f.spokenWait(1));
        const auto address = f.telvar.sentWith('A').first();
        QCOMPARE(address[2] + 256 * address[3], 8 * index);
        QTRY_COMPARE(f.host.status(), QStringLiteral(" AA = %1").arg(index, 5, 10, QLatin1Char('0')));
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
        // The built-in list is no shorter than what the device speaks: the question stays as it was.
        QCOMPARE(
            f.host.fakePrompter().texts.first(),
            QStringLiteral(
                "This will Transfer the Word List to the Telvar X transfer will take 5 minutes Continue ?"));
        QVERIFY(!list->isHidden());
        QVERIFY(!sayWordFrame->isHidden());
        QVERIFY(f.host.tabStripVisible);
        QVERIFY(!f.host.pleaseWaitVisible);
        QCOMPARE(f.host.progressTotal, 0);
        QCOMPARE(f.host.setupFrameShown, 1);
        if (unplug) {
            QVERIFY(f.host.status().startsWith(QStringLiteral("Upload stopped at word #11 \"")));
            QTRY_COMPARE(f.host.fakePrompter().texts.size(), 2);
            QVERIFY(f.host.fakePrompter().texts.last().startsWith(f.host.status()));
        } else {
            QCOMPARE(f.host.status(), QStringLiteral("Upload Complete"));
        }
    }

    // A keyboard user sees where the keys go: the slider looks different with the focus.
    void theSliderDrawsItsFocus() {
        Fixture f;
        QVERIFY(f.start());
        QVERIFY(QTest::qWaitForWindowActive(f.screen.get()));
        f.list()->setFocus();
        const QImage without = f.slider()->grab().toImage();
        f.slider()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(f.slider()->hasFocus());
        QVERIFY(f.slider()->grab().toImage() != without);
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

    // Whichever of list, slider and number box moves, the others follow, and Say Word speaks that word.
    void keyboardAndMouseMoveOneWord() {
        Fixture f;
        QVERIFY(f.start());
        QListWidget* list = f.list();
        list->scrollToItem(list->item(200));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(200)).center());
        QVERIFY(f.spokenWait(1));
        QVERIFY(list->hasFocus());

        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QVERIFY(f.showWord(202));
        f.click(QStringLiteral("Say Word"));
        QVERIFY(f.spokenWait(2));
        QCOMPARE(f.telvar.spoken(), (QList<int>{200, 202}));

        // Enter and Space speak the highlighted word; the list keeps the focus from one word to the next.
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(f.spokenWait(3));
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Space);
        QVERIFY(f.spokenWait(4));
        QCOMPARE(f.telvar.spoken(), (QList<int>{200, 202, 201, 200}));

        QTest::keyClick(list, Qt::Key_PageDown);
        QVERIFY(list->currentRow() > 200);
        QVERIFY(f.showWord(list->currentRow()));

        // Tab goes on to the slider, whose keys move the list as well.
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(f.slider()->hasFocus());
        QTest::keyClick(f.slider(), Qt::Key_Home);
        QVERIFY(f.showWord(0));
        QTest::keyClick(f.slider(), Qt::Key_Right);
        QVERIFY(f.showWord(1));
        f.click(QStringLiteral("Say Word"));
        QVERIFY(f.spokenWait(5));
        QCOMPARE(f.telvar.spoken().last(), 1);

        // A typed number and Enter move everything; a number that is no word puts the shown one back.
        QLineEdit* number = f.number();
        number->setFocus();
        number->selectAll();
        QTest::keyClicks(number, QStringLiteral("1501"));
        QTest::keyClick(number, Qt::Key_Return);
        QVERIFY(f.showWord(1500));
        for (const QString& typed : {QStringLiteral("2050"), QStringLiteral("0"), QStringLiteral("ten")}) {
            number->selectAll();
            QTest::keyClicks(number, typed);
            QTest::keyClick(number, Qt::Key_Return);
            QVERIFY2(f.showWord(1500), qPrintable(typed));
        }
        f.click(QStringLiteral("Say Word"));
        QVERIFY(f.spokenWait(6));
        QCOMPARE(f.telvar.spoken().last(), 1500);
        QCOMPARE(f.telvar.sentWith('A').last()[2], quint8(8 * 1500 % 256));
    }

    // A word list shorter than the slider: the tail words have no entry, the device still speaks them.
    void aShortListLeavesTheSliderItsRange() {
        Fixture f;
        QVERIFY(f.start());
        f.host.vocabulary().setList3({QStringLiteral("ALPHA"), QStringLiteral("BETA")});
        QCOMPARE(f.list()->currentRow(), -1);
        QTest::keyClick(f.list(), Qt::Key_Home);
        QVERIFY(f.showWord(0));
        QTest::keyClick(f.list(), Qt::Key_End);
        QVERIFY(f.showWord(1));
        f.slider()->setValue(2048);
        QCOMPARE(f.list()->currentRow(), -1);
        QCOMPARE(f.number()->text(), QStringLiteral(" 2049"));
    }

    // The words read are marked in the list; the slider and its number keep the word the user chose, so
    // the next Say Word speaks that word, and its failure names it as the number box shows it.
    void readingFillsTheResultBoxAndKeepsTheChosenWord() {
        Fixture f;
        QVERIFY(f.start());
        setRecord(f.telvar.device(), {5, 9}, 2);
        auto* resultBox = f.find<QPlainTextEdit>("Text27");

        f.click(QStringLiteral("Read Words Spoken"));

        QTRY_VERIFY(!f.telvar.link.sequenceRunning());
        QVERIFY(!resultBox->isHidden());
        const QStringList& words = f.host.vocabulary().list3();
        QVERIFY(resultBox->toPlainText().contains(QStringLiteral(" : ") + words.at(5)));
        QVERIFY(resultBox->toPlainText().contains(QStringLiteral(" : ") + words.at(9)));
        QVERIFY(!f.host.pleaseWaitVisible);
        QVERIFY(f.list()->item(5)->isSelected() && f.list()->item(9)->isSelected());
        QVERIFY(f.telvar.spoken().isEmpty());
        QCOMPARE(f.slider()->value(), 200);
        QCOMPARE(f.number()->text(), QStringLiteral(" 201"));

        f.telvar.fault(QStringLiteral("drop:A"));
        f.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(100));
        f.click(QStringLiteral("Say Word"));
        QTRY_VERIFY(f.host.status().startsWith(QStringLiteral("Say Word 201 failed")));
        QCOMPARE(f.telvar.sentWith('A').last()[2], quint8(8 * 200 % 256));
    }

    // A read cut short says so at the end of its lines, so a count over fewer entries never looks whole.
    void anInterruptedReadSaysSoInTheResultBox_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("lastLine");
        QTest::newRow("unplugged") << QStringLiteral("unplug")
                                   << QStringLiteral("— interrupted: the Telvar X is not connected");
        QTest::newRow("no reply") << QStringLiteral("drop")
                                  << QStringLiteral("— interrupted: no reply from the Telvar X");
        QTest::newRow("Escape") << QStringLiteral("escape") << QStringLiteral("— interrupted: cancelled");
    }
    void anInterruptedReadSaysSoInTheResultBox() {
        QFETCH(QString, how);
        QFETCH(QString, lastLine);
        Fixture f;
        QVERIFY(f.start());
        setRecord(f.telvar.device(), {5, 6, 7, 8}, 3);
        f.telvar.link.setDefaultReplyLimit(std::chrono::milliseconds(200));
        auto* resultBox = f.find<QPlainTextEdit>("Text27");
        // After the count and two entries.
        connect(&f.telvar.link, &DeviceLink::reportReceived, f.screen.get(), [&] {
            if (f.telvar.sentWith('R').size() != 2)
                return;
            if (how == QStringLiteral("unplug"))
                f.telvar.library.unplug();
            else if (how == QStringLiteral("drop"))
                f.telvar.fault(QStringLiteral("drop:R"));
            else // the pause after each entry leaves time for the key press
                QTimer::singleShot(0, f.screen.get(),
                                   [&] { QTest::keyClick(f.screen.get(), Qt::Key_Escape); });
        });

        f.click(QStringLiteral("Read Words Spoken"));

        QVERIFY(test::runUntil([&] { return !f.telvar.link.sequenceRunning(); }));
        const QStringList lines = resultBox->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral(" 4 number of words"));
        QVERIFY2(lines.size() < 6, qPrintable(resultBox->toPlainText()));
        QCOMPARE(lines.last(), lastLine);
        QVERIFY(!f.host.pleaseWaitVisible);
        QCOMPARE(f.host.progressTotal, 0);
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

        // Uploading the two words would erase the rest of the device's words: the question says so.
        f.host.fakePrompter().answers.enqueue(false);
        f.click(QStringLiteral("Re-Load Word List"));
        QTRY_COMPARE(
            f.host.fakePrompter().texts.last(),
            QStringLiteral("This will Transfer the Word List to the Telvar X transfer will take 5 minutes "
                           "Continue ?\n\nThis word list has only 2 words: words #3 to #2055 on the Telvar X "
                           "will be erased."));
        QVERIFY(f.telvar.sent.isEmpty());
    }

    // A job holding the device: the controls that would be refused are disabled, naming the job, and
    // Transfer Edits cannot cover the job's progress and Cancel with its own please-wait frame.
    void aRunningUploadRefusesTheOtherJobsAndEscapeCancelsIt() {
        Fixture f;
        QVERIFY(f.start());
        const WordListFiles files(f.folder.path());
        QString error;
        QVERIFY(files.writeWords(WordListFiles::kTempWords, {QStringLiteral("ALPHA")}, &error));
        Vocabulary::CodeTable codes{};
        QVERIFY(files.writeCodes(WordListFiles::kTempCodes, codes, 1, &error));

        // Slow replies keep the upload running, however busy the machine, until Escape stops it.
        f.telvar.fault(QStringLiteral("delay:W:50"));
        f.click(QStringLiteral("Re-Load Word List"));
        QVERIFY(test::runUntil([&] { return f.telvar.sentWith('W').size() >= 10; }));
        QVERIFY(f.telvar.link.sequenceRunning());
        const QString busy = BusyControls::busyToolTip(QStringLiteral("uploading the word list"));
        for (const char* caption :
             {"Read Words Spoken", "Read all words in Memory", "Clear last word", "Clear Stored memory",
              "Send Word List To RLD ", "Re-Load Word List", "Transfer Edits", "Say Word"}) {
            QPushButton* button = f.button(QLatin1String(caption));
            QVERIFY2(!button->isEnabled(), caption);
            QCOMPARE(button->toolTip(), busy);
        }
        QVERIFY(!f.list()->isEnabled());
        QVERIFY(f.button(QStringLiteral("Word Editor"))->isEnabled());

        f.click(QStringLiteral("Transfer Edits"));
        QCOMPARE(f.host.fakePrompter().texts.size(), 1); // the upload's question only
        QCOMPARE(f.host.vocabulary().list3().size(), 2049);
        QVERIFY(f.host.progressTotal > 0);

        QTest::keyClick(f.screen.get(), Qt::Key_Escape);
        QVERIFY(test::runUntil([&] { return !f.telvar.link.sequenceRunning(); }));
        QVERIFY(f.host.status().startsWith(QStringLiteral("Upload stopped after word ")));
        QVERIFY(f.host.status().endsWith(QStringLiteral(": cancelled")));
        QVERIFY(f.button(QStringLiteral("Transfer Edits"))->isEnabled());
        QCOMPARE(f.button(QStringLiteral("Transfer Edits"))->toolTip(),
                 QStringLiteral("Replace Word Files with Edited Files"));
        QVERIFY(f.list()->isEnabled());

        // Say Word shows no Cancel: Escape leaves it alone.
        f.telvar.fault(QStringLiteral("delay:50"));
        f.click(QStringLiteral("Say Word"));
        QVERIFY(f.telvar.link.sequenceRunning());
        QTest::keyClick(f.screen.get(), Qt::Key_Escape);
        QVERIFY(f.spokenWait(1));
    }

    void anEmptyEditedWordListIsRefused() {
        Fixture f;
        QVERIFY(f.start());
        const WordListFiles files(f.folder.path());
        QString error;
        QVERIFY(files.writeWords(WordListFiles::kTempWords, {}, &error));
        Vocabulary::CodeTable codes{};
        QVERIFY(files.writeCodes(WordListFiles::kTempCodes, codes, 2, &error));
        const QStringList list1 = f.host.vocabulary().list1();
        const Vocabulary::CodeTable table = f.host.vocabulary().codes();

        f.click(QStringLiteral("Transfer Edits"));

        QTRY_COMPARE(f.host.fakePrompter().texts.size(), 2);
        QVERIFY(f.host.fakePrompter().texts.last().contains(QStringLiteral("tempw.txt holds no words")));
        QCOMPARE(f.host.vocabulary().list1(), list1);
        QCOMPARE(f.host.vocabulary().list3().size(), 2049);
        QVERIFY(f.host.vocabulary().codes() == table);
        QCOMPARE(f.list()->count(), 2049);
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
