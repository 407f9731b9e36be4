// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/DeviceLink.h"
#include "device/Prompter.h"
#include "device/ScreenHost.h"
#include "device/Spinner.h"
#include "vocab/Vocabulary.h"

#include <QMainWindow>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabBar;
class QTimer;

namespace telvar {

class TeamJournalLink;

class HidLibrary;
class ItcScreen;
class MainWindowPlacement;
class SensorTrace;
class SessionController;
class SessionHistoryWindow;
class SessionJournal;

// The main window: its title bar is the status line, its client area the connect prompt or the tab strip
// with one of the seven screens. It owns the device link and the vocabulary for the whole run.
class Mainform : public QMainWindow, public ScreenHost {
    Q_OBJECT
public:
    // In tab order.
    enum class Screen { Itc, Modes, Setup, WordList, Help, Log, About };
    Q_ENUM(Screen)
    static constexpr int kScreenCount = 7;

    struct Options {
        QString dataDir;                         // folder of the word-list files
        std::chrono::milliseconds replyLimit{0}; // 0: the link's default
        QString settingsFile;                    // window size and layout; empty: the user's settings
        QString journalPath;                     // the session journal; empty: sessions are not kept
        QString teamJournal; // the team journal's URL for this run; empty: the one in the settings
        // Builds what the first screen does not need (the other screens, the vocabulary, the journal)
        // once the window has shown, so that it shows sooner; else all of it before the constructor ends.
        bool lateStart = false;
    };

    // `prompter` answers the window's boxes; message boxes when none is given.
    Mainform(HidLibrary& library, Options options, std::unique_ptr<Prompter> prompter = {},
             QWidget* parent = nullptr);
    ~Mainform() override;

    DeviceLink& link() override { return m_link; }
    Vocabulary& vocabulary() override { return m_vocabulary; }
    Prompter& prompter() override { return *m_prompter; }
    Spinner& spinner() override { return m_spinner; }
    void setStatus(const QString& text) override;
    QString status() const override;
    void setPleaseWaitVisible(bool visible) override;
    void setPleaseWaitProgress(int done, int total) override;
    void setTabStripVisible(bool visible) override;
    void showSetupFrame() override;
    QString dataDir() const override { return m_options.dataDir; }
    void openWordEditor() override;

    QFrame* screenFrame(Screen screen) const { return m_frames[static_cast<int>(screen)]; }
    // Fills a screen frame with its content.
    void setScreenContent(Screen screen, QWidget* content);
    QPlainTextEdit* aboutText() const { return m_aboutText; }
    // The menu that other parts of the window add their menus before.
    QMenu* helpMenu() const { return m_helpMenu; }
    const SensorTrace& sensorTrace() const { return *m_trace; }
    // View > Session history: the window is made on first use and read afresh each time.
    SessionHistoryWindow* showSessionHistory();

    // A question session is listening for the sensor.
    bool sessionRunning() const;
    // The serial the title names after the status text, with several devices attached; empty: none.
    void setDeviceName(const QString& serial);
    // Its size, place and dock layout, kept between runs.
    MainWindowPlacement& placement() const { return *m_placement; }
    // Runs `step` once the start-up is complete: at once, or with the part a late start builds after the
    // window shows.
    void afterStartUp(std::function<void()> step);
    // Another start of the program asked for this window.
    void bringForward();
    // The Telvar X is attached but another program holds it; the text stays until it attaches here.
    void showDeviceInUse(const QString& message);
    // How long a note in the title lasts: until the device attaches, or until no command and no question
    // session runs. The status it covered then comes back, unless a newer one has taken the title.
    enum class NoteLasts { UntilAttached, UntilIdle };
    void showNote(const QString& text, NoteLasts lasts);

Q_SIGNALS:
    // A tab click has shown this screen; the SET UP and About screens read the device from here.
    void screenSelected(telvar::Mainform::Screen screen);
    // Start-up fell back on the built-in vocabulary, which selects entry 0 of the internal word list.
    void builtinVocabularyLoaded();

protected:
    // Closing while a job runs asks first; Yes stops the job cleanly, then quits.
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The part of the start-up that the first screen does not need; once, and before anything that
    // needs it (a tab, the history, the word editor).
    void finishStartUp();
    void finishStartUpOnceShown();
    void buildWindow();
    QSize firstSize() const;
    void buildPleaseWait();
    void bringToFront(QFrame* frame);
    void loadVocabulary();
    void buildFirstScreen();
    void buildOtherScreens();
    void buildJournal();
    void registerBusyControls(QWidget* setup, QWidget* modes, QWidget* itc);
    void startUp();
    void hidon();
    void deviceRemoved();
    void tabClick();
    // Puts the focus on the screen's first control, or into the question on the ITC screen.
    void focusScreen(Screen screen);
    void buildMenus();
    void buildStatusBar();
    void buildScreenKeys();
    void buildTraceDock();
    void stepScreen(int step);
    void showConnection();
    void noteFailure(const QString& reason);
    void buildTeamJournal();
    void chooseTeamJournal();
    void noteTeamJournal(const QString& text, const QString& details);
    void clearFailure();
    void endNote(NoteLasts ended);
    // A status the start-up sets on its own, which a note in the title must not hide.
    void setStartUpStatus(const QString& text);
    void showSessionTime();
    void showAbout();
    QCoro::Task<> stopJobAndQuit();

    Options m_options;
    DeviceLink m_link;
    Vocabulary m_vocabulary;
    Spinner m_spinner;
    std::unique_ptr<Prompter> m_prompter;

    QFrame* m_connectPrompt = nullptr; // Frame1
    QFrame* m_picture = nullptr;       // Frame2
    QTabBar* m_tabStrip = nullptr;     // TabStrip1
    QWidget* m_screenArea = nullptr;
    std::array<QFrame*, kScreenCount> m_frames{};
    QFrame* m_pleaseWait = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancel = nullptr;
    QPlainTextEdit* m_aboutText = nullptr; // Text1
    QMenu* m_helpMenu = nullptr;
    QLabel* m_connection = nullptr;  // connected, not connected, or busy with a job
    QLabel* m_failure = nullptr;     // the last failure, until the next action
    QLabel* m_sessionTime = nullptr; // the seconds a question session has left
    QTimer* m_sessionClock = nullptr;
    SessionController* m_session = nullptr;
    ItcScreen* m_itc = nullptr;
    SessionJournal* m_journal = nullptr;
    SensorTrace* m_trace = nullptr;
    SessionHistoryWindow* m_history = nullptr;
    TeamJournalLink* m_team = nullptr;
    QLabel* m_teamState = nullptr;
    QString m_deviceName;
    QString m_note;    // the note in the title, until it ends
    QString m_covered; // the status it covers
    NoteLasts m_noteLasts = NoteLasts::UntilAttached;
    MainWindowPlacement* m_placement = nullptr;
    bool m_startedUp = false;
    std::vector<std::function<void()>> m_afterStartUp;
    bool m_askingToQuit = false;
    bool m_quitting = false;
};

} // namespace telvar
