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
    QTest::addColumn<bool>("okCancel");
    QTest::newRow("Yes/No: boot loader, factory defaults, uploads, Transfer Edits") << false;
    QTest::newRow("OK/Cancel: Clear Log") << true;
}

void MessageBoxPrompterTest::enterMeansNoOrCancel() {
    QFETCH(bool, okCancel);
    std::optional<bool> answer;
    const QString text = QStringLiteral("Erase?");
    (okCancel ? m_prompter->askOkCancel(text) : m_prompter->askYesNo(text)).then([&](bool yes) {
        answer = yes;
    });
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

QTEST_MAIN(MessageBoxPrompterTest)
#include "MessageBoxPrompterTest.moc"
