// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MessageBoxPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <optional>

using namespace telvar;

namespace {

// The message box the prompter has open, if any.
QMessageBox* openBox() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    }
    return nullptr;
}

} // namespace

class MessageBoxPrompterTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_window = std::make_unique<QWidget>();
        m_window->show();
        m_prompter = std::make_unique<MessageBoxPrompter>(m_window.get(), QStringLiteral("Telvar X"));
    }
    void cleanup() {
        m_prompter.reset();
        m_window.reset();
    }

    void answersComeBackWithoutBlockingTheCaller();
    void escapeMeansNoOrCancel();
    // Every question erases, restarts or stops something: Enter must not confirm it.
    void enterMeansNoOrCancel_data();
    void enterMeansNoOrCancel();
    void informShowsOnlyOk();
    // A question from a window of the program's own (the history) is modal to it, has the keyboard, and
    // leaves that window in front.
    void theBoxBelongsToTheWindowThatAsks_data();
    void theBoxBelongsToTheWindowThatAsks();

private:
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<MessageBoxPrompter> m_prompter;
};

void MessageBoxPrompterTest::answersComeBackWithoutBlockingTheCaller() {
    std::optional<bool> answer;
    m_prompter->askYesNo(QStringLiteral("Upload?")).then([&](bool yes) { answer = yes; });
    QVERIFY(!answer); // the call returned with the box still open

    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = openBox()));
    QCOMPARE(box->windowTitle(), QStringLiteral("Telvar X")); // no title given: the program's
    QCOMPARE(box->text(), QStringLiteral("Upload?"));
    QCOMPARE(box->windowModality(), Qt::WindowModal);
    box->button(QMessageBox::Yes)->click();
    QTRY_COMPARE(answer, std::optional(true));
    QTRY_VERIFY(m_window->findChildren<QMessageBox*>().isEmpty()); // answered boxes do not pile up
}

void MessageBoxPrompterTest::escapeMeansNoOrCancel() {
    std::optional<bool> answer;
    m_prompter->askYesNo(QStringLiteral("Factory defaults?")).then([&](bool yes) { answer = yes; });
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = openBox()));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_COMPARE(answer, std::optional(false));

    answer.reset();
    m_prompter->askOkCancel(QStringLiteral("Erase the log?"), QStringLiteral("Log")).then([&](bool ok) {
        answer = ok;
    });
    QTRY_VERIFY((box = openBox()));
    QCOMPARE(box->windowTitle(), QStringLiteral("Log"));
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_COMPARE(answer, std::optional(false));
}

void MessageBoxPrompterTest::enterMeansNoOrCancel_data() {
    QTest::addColumn<int>("buttons"); // 0 Yes/No, 1 OK/Cancel, 2 Save/Discard/Cancel
    QTest::newRow("Yes/No: boot loader, factory defaults, uploads, Transfer Edits") << 0;
    QTest::newRow("OK/Cancel: Clear Log") << 1;
    QTest::newRow("Save/Discard/Cancel: the word editor's unsaved words") << 2;
}

void MessageBoxPrompterTest::enterMeansNoOrCancel() {
    QFETCH(int, buttons);
    std::optional<bool> answer; // whether it went ahead
    const QString text = QStringLiteral("Erase?");
    if (buttons == 2) {
        m_prompter->askSaveDiscardCancel(text).then(
            [&](Prompter::SaveAnswer chosen) { answer = chosen != Prompter::SaveAnswer::Cancel; });
    } else {
        (buttons == 1 ? m_prompter->askOkCancel(text) : m_prompter->askYesNo(text)).then([&](bool yes) {
            answer = yes;
        });
    }
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = openBox()));
    QTest::keyClick(box, Qt::Key_Return);
    QTRY_COMPARE(answer, std::optional(false));
}

void MessageBoxPrompterTest::informShowsOnlyOk() {
    bool done = false;
    m_prompter->inform(QStringLiteral("254")).then([&] { done = true; });
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = openBox()));
    QCOMPARE(box->buttons().size(), 1);
    QCOMPARE(box->text(), QStringLiteral("254"));
    QVERIFY(!done);
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(done);
}

void MessageBoxPrompterTest::theBoxBelongsToTheWindowThatAsks_data() {
    QTest::addColumn<bool>("fromOwnWindow");
    QTest::newRow("main window") << false;
    QTest::newRow("a window of its own") << true;
}

void MessageBoxPrompterTest::theBoxBelongsToTheWindowThatAsks() {
    QFETCH(bool, fromOwnWindow);
    auto* own = new QWidget(m_window.get(), Qt::Window);
    own->show();
    QWidget* asking = fromOwnWindow ? own : m_window.get();
    asking->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(asking));
    std::optional<bool> answer;
    m_prompter->askYesNo(QStringLiteral("Delete 1 session?")).then([&](bool yes) { answer = yes; });
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = openBox()));
    QCOMPARE(box->parentWidget(), asking);
    QTRY_COMPARE(QApplication::activeWindow(), box);
    QVERIFY(box->focusWidget() && box->isAncestorOf(box->focusWidget()));
    // Meanwhile the user or the window system brings another window forward.
    (fromOwnWindow ? m_window.get() : own)->activateWindow();
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_COMPARE(answer, std::optional(false));
    QTRY_COMPARE(QApplication::activeWindow(), asking);
}

QTEST_MAIN(MessageBoxPrompterTest)
#include "MessageBoxPrompterTest.moc"
