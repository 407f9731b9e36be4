// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/SequenceOutcome.h"

#include <QCoro/QCoroTask>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;
class QShortcut;

namespace telvar {

class BusyControls;
class DeviceSequence;
class ScreenHost;
class WordMemoryClearer;
class WordMemoryReader;

// The "Word List" screen (`setupframe`): the word-memory buttons, the transfers to the device and the
// external unit, the word-file buttons, the result box `Text27` and the word browser with Say Word.
// A thin view: the device work is done by the sequences it starts. The word browser's list, slider and
// number box show one word; the slider holds its word index, the number box counts words from 1.
class WordListScreen : public QWidget {
    Q_OBJECT
public:
    explicit WordListScreen(ScreenHost& host, QWidget* parent = nullptr);

Q_SIGNALS:
    // Say Word is speaking word `index`: the internal word list `List1` selects it too.
    void internalWordSelected(int index);

protected:
    // Enter or Space on the word browser speaks its word, as a click does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCoro::Task<> upload();
    // "Read Words Spoken" or "Read all words in Memory" into the result box.
    QCoro::Task<> readMemory(QCoro::Task<SequenceOutcome> (WordMemoryReader::*read)());
    // "Clear last word" or "Clear Stored memory".
    QCoro::Task<> clearMemory(QCoro::Task<SequenceOutcome> (WordMemoryClearer::*clear)());
    QCoro::Task<> sendToUnit();
    QCoro::Task<> transferEdits();
    QCoro::Task<> sayWord();

    QWidget* buildButtons();
    QWidget* buildWordBrowser();
    QPushButton* addButton(const QString& objectName, const QString& caption, const QString& toolTip);
    void fillWordBrowser();
    // The slider moved: the list and the number box show its word.
    void showWord(int index);
    void selectInList(int index);
    // Marks a word the word-memory reader found, leaving the slider on the word the user chose.
    void markReadWord(int index);
    // The list's current item moved (keys, a click): the slider follows.
    void followList(int row);
    // A word number (from 1) typed into the number box moves the slider; anything else puts the shown
    // number back.
    void takeTypedNumber();
    // Speaks the word of a list item, as a click on it does.
    void speakItem(QListWidgetItem* item);
    void appendInterrupted(const QString& reason);
    // Title bar and progress of a sequence go to the main window.
    void follow(DeviceSequence& sequence);
    void showResultBox();
    // The upload's hidden controls come back, failed or not.
    void restoreAfterUpload();
    void endProgress();

    ScreenHost& m_host;
    BusyControls* m_busy = nullptr;
    // Escape cancels this screen's job while the please-wait frame shows its Cancel.
    QShortcut* m_cancelShortcut = nullptr;
    QPushButton* m_readSpokenButton = nullptr;
    QPushButton* m_readAllButton = nullptr;
    QPushButton* m_clearCountButton = nullptr;
    QPushButton* m_clearMemoryButton = nullptr;
    QPushButton* m_sendToUnitButton = nullptr;
    QPushButton* m_uploadButton = nullptr;
    QPushButton* m_editorButton = nullptr;
    QPushButton* m_transferEditsButton = nullptr;
    QPlainTextEdit* m_resultBox = nullptr;
    QListWidget* m_wordBrowser = nullptr;
    QFrame* m_sayWordFrame = nullptr;
    QScrollBar* m_wordSlider = nullptr;
    QLineEdit* m_wordNumber = nullptr;
    QPushButton* m_sayWordButton = nullptr;
    QCheckBox* m_sendToUnitBox = nullptr;
};

} // namespace telvar
