// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "editor/WorkingWordList.h"
#include "pronounce/PronouncingSources.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace telvar {

class DeviceLink;
class Prompter;

namespace pronounce {
class Pronouncer;
}

// The word editor (" Word  Editor"): the working word list at the left, the allophone labels in their
// eight frames, and the Say Data frame where phonetics are typed, heard and put back into the list.
// It speaks through the main window's device link, one sequence at a time like every screen: a phrase
// asked for while the device is busy is refused in the status line, never sent between another's reports.
class frmPhrase : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = " Word  Editor";

    // Loads the working pair of `dataFolder` at once. `link` and `prompter` must outlive the window.
    frmPhrase(QString dataFolder, DeviceLink& link, Prompter& prompter, QWidget* parent = nullptr);

    // The editor of the window `owner` belongs to: shown and brought forward as it is when it is open,
    // otherwise made (and so loaded afresh) as a window of its own that goes when it is closed.
    static frmPhrase* showEditor(QWidget* owner, const QString& dataFolder, DeviceLink& link,
                                 Prompter& prompter);
    // The editor of the window `owner` belongs to that is shown, or null.
    static frmPhrase* openEditor(QWidget* owner);

    // The editor's status line: file problems, refused replacements, why a phrase was not spoken.
    void setStatus(const QString& text);
    QString status() const;

    const WorkingWordList& workingList() const { return m_list; }

    // True when the window may go: nothing replaced since the last save, or the user saved it now or
    // chose to discard it. False when the user cancelled or the save failed (the status line says why).
    // The working list lives only as long as the window, so closing unasked would lose the replacements.
    QCoro::Task<bool> settleEdits();
    bool hasUnsavedEdits() const { return m_unsaved; }
    // The window goes without asking again (the program is quitting and the user has answered).
    void dropEdits() { m_unsaved = false; }

Q_SIGNALS:
    // The codes of a phrase about to be sent: the reset code first, then the phrase.
    void speechRequested(const QByteArray& codes);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What an event on an allophone label asks for.
    enum class AllophoneUse { None, Append, Hear, Swallow };
    static AllophoneUse allophoneUse(const QEvent* event);

    QWidget* buildAllophoneFrames();
    QWidget* buildSayData();
    QLabel* addAllophoneLabel(const QString& caption, const QString& toolTip, QWidget* frame);

    void load();
    void fillWordList();
    // The selected word's row, -1 when none is selected.
    int chosenRow() const;
    void chooseWord(int row);
    // The status text, shortened to the line's width.
    void showStatus();
    QCoro::Task<> say(QString text);
    // ExpandPhrase over the data folder's dictionary, read afresh so edits to it count at once.
    QString expand(const QString& text, QString* dictionaryProblem) const;
    QCoro::Task<> sayIt();
    // Starts a click's coroutine; a failure escaping it goes to the status line.
    void start(QCoro::Task<> action);
    // While "Say " is sending, it is disabled and the busy pointer shown.
    void setSending(bool sending);
    QCoro::Task<> closeWhenSettled();
    void replace();
    void saveEdits();
    void transferEdits();
    // Works out the word box's pronunciation on a worker thread (reading the dictionary or running
    // espeak-ng takes long enough to freeze the window) and puts it into the Say Data bar.
    void suggest();
    void showSuggestion(const QString& word, const std::optional<QList<int>>& codes);

    QString m_dataFolder;
    DeviceLink& m_link;
    Prompter& m_prompter;
    WorkingWordList m_list;
    bool m_unsaved = false; // a word was replaced since the list was loaded or saved
    bool m_asking = false;  // the question about unsaved edits is open
    // Why a working file that is there could not be read at load; saving over it is refused meanwhile.
    QString m_unreadable;
    QListWidget* m_wordList = nullptr;
    QLineEdit* m_sayData = nullptr;
    QLineEdit* m_wordBox = nullptr;
    QLineEdit* m_storedPhonetics = nullptr;
    QPushButton* m_sayButton = nullptr;
    QPushButton* m_currentButton = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_transferButton = nullptr;
    QPushButton* m_suggestButton = nullptr;
    pronounce::PronouncingSources m_pronouncingSources;
    // Made on first use by a worker and kept, so the dictionary is read once per window.
    std::shared_ptr<const pronounce::Pronouncer> m_pronouncer;
    QLabel* m_statusLine = nullptr;
    QString m_status; // the whole message; the line may show it shortened
};

} // namespace telvar
