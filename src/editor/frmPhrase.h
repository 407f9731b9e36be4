#pragma once

#include "editor/WorkingWordList.h"

#include <QByteArray>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace telvar {

// The word editor (" Word  Editor"): the working word list at the left, the allophone labels in their
// eight frames, and the Say Data frame where phonetics are typed, heard and put back into the list.
// What it speaks leaves as a finished code string through speechRequested; whoever sends it reports
// the sending state back through setSending.
class frmPhrase : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kCaption = " Word  Editor";

    // Loads the working pair of `dataFolder` at once.
    explicit frmPhrase(QString dataFolder, QWidget* parent = nullptr);

    // The editor of the window `owner` belongs to: shown and brought forward as it is when it is open,
    // otherwise made (and so loaded afresh) as a window of its own that goes when it is closed.
    static frmPhrase* showEditor(QWidget* owner, const QString& dataFolder);

    // While a phrase is being sent, "Say " is disabled and the busy pointer shown.
    void setSending(bool sending);
    // The editor's status line, for what it reports and what the sender has to say.
    void setStatus(const QString& text);
    QString status() const;

    const WorkingWordList& workingList() const { return m_list; }

Q_SIGNALS:
    // The codes of a phrase to speak: the reset code first, then the phrase.
    void speechRequested(const QByteArray& codes);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildAllophoneFrames();
    QWidget* buildSayData();
    QLabel* addAllophoneLabel(const QString& caption, const QString& toolTip, QWidget* frame);

    void load();
    void fillWordList();
    void chooseWord(int row);
    void say(const QString& text);
    // ExpandPhrase over the data folder's dictionary, read afresh so edits to it count at once.
    QString expand(const QString& text) const;
    void sayIt();
    void replace();
    void saveEdits();
    void transferEdits();

    QString m_dataFolder;
    WorkingWordList m_list;
    QListWidget* m_wordList = nullptr;
    QLineEdit* m_sayData = nullptr;
    QLineEdit* m_wordBox = nullptr;
    QLineEdit* m_storedPhonetics = nullptr;
    QPushButton* m_sayButton = nullptr;
    QPushButton* m_currentButton = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_transferButton = nullptr;
    QLabel* m_statusLine = nullptr;
};

} // namespace telvar
