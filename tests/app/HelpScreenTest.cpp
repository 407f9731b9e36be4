#include "support/FakeScreenHost.h"

#include "app/HelpPages.h"
#include "app/HelpScreen.h"
#include "app/HelpViewer.h"
#include "emulator/EmulatedLibrary.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

using namespace telvar;

// Stands in for the browser: records the pages the viewer hands to it.
class PageCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

namespace {

QByteArray resource(const QString& fileName) {
    QFile file(QDir(HelpPages::resourceFolder()).filePath(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text between <title> and </title>, as the page itself has it.
QString titleOf(const QByteArray& html) {
    const auto match =
        QRegularExpression(QStringLiteral("<title>(.*)</title>")).match(QString::fromUtf8(html));
    return match.captured(1);
}

void clickText(QTextBrowser* browser, const QString& text) {
    const QTextCursor found = browser->document()->find(text);
    QVERIFY2(!found.isNull(), qPrintable(text));
    QTextCursor inside(found);
    inside.setPosition(found.selectionStart() + 1);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(inside).center());
}

} // namespace

class HelpScreenTest : public QObject {
    Q_OBJECT

    EmulatedLibrary m_library;
    DeviceLink m_link{m_library};

private slots:
    void eachButtonShowsItsCompiledInPage();
    void linksAndBackMoveBetweenPages();
    void openInBrowserWritesThePagesOut();
};

void HelpScreenTest::eachButtonShowsItsCompiledInPage() {
    test::FakeScreenHost host(m_link);
    HelpScreen screen(host);
    QVERIFY(screen.findChild<QLabel*>()->text() == QStringLiteral("WEBSITE SHORT CUTS"));
    const auto buttons =
        screen.findChildren<QPushButton*>(QRegularExpression(QStringLiteral("^helpButton_")));
    QCOMPARE(buttons.size(), int(HelpPages::kPages.size()));
    QSet<QString> shown;
    for (QPushButton* button : buttons) {
        QCOMPARE(button->toolTip(), QStringLiteral("Opens a Browser to this page Requires \"IE\""));
        button->click();
        const QUrl source = screen.viewer()->browser()->source();
        QCOMPARE(source.scheme(), QStringLiteral("qrc"));
        const QByteArray page = resource(QFileInfo(source.path()).fileName());
        QVERIFY2(!page.isEmpty(), qPrintable(source.toString()));
        QVERIFY(screen.viewer()->isVisible());
        QCOMPARE(screen.viewer()->windowTitle(), titleOf(page));
        shown << source.toString();
    }
    QCOMPARE(shown.size(), buttons.size()); // each button its own page
    QVERIFY(host.statuses.isEmpty());
}

void HelpScreenTest::linksAndBackMoveBetweenPages() {
    test::FakeScreenHost host(m_link);
    HelpScreen screen(host);
    screen.findChild<QPushButton*>(QStringLiteral("helpButton_0"))->click();
    HelpViewer* viewer = screen.viewer();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QTextBrowser* browser = viewer->browser();
    const QUrl start = browser->source();
    auto* back = viewer->findChild<QToolButton*>(QStringLiteral("helpBack"));
    QVERIFY(!back->isEnabled());

    clickText(browser, QStringLiteral("Connecting"));
    QCOMPARE(browser->source(), QUrl(QStringLiteral("qrc:/telvar/help/connecting.html")));
    QCOMPARE(viewer->windowTitle(), titleOf(resource(QStringLiteral("connecting.html"))));
    QTRY_VERIFY(back->isEnabled());

    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(browser->source(), start);
    QCOMPARE(viewer->windowTitle(), titleOf(resource(QFileInfo(start.path()).fileName())));
}

void HelpScreenTest::openInBrowserWritesThePagesOut() {
    test::FakeScreenHost host(m_link);
    HelpScreen screen(host);
    screen.findChild<QPushButton*>(QStringLiteral("helpButton_2"))->click();
    PageCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
    screen.viewer()->findChild<QPushButton*>(QStringLiteral("helpOpenInBrowser"))->click();
    screen.viewer()->findChild<QPushButton*>(QStringLiteral("helpOpenInBrowser"))->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    QCOMPARE(browser.opened.size(), 2);
    const QString file = browser.opened.first().toLocalFile();
    QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("itc-session.html"));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), resource(QStringLiteral("itc-session.html")));
    // The browser follows the links to the other pages and the style sheet beside it.
    for (const char* other : {"getting-started.html", "style.css"})
        QVERIFY2(QFileInfo::exists(QFileInfo(file).dir().filePath(QString::fromLatin1(other))), other);
    QVERIFY(host.statuses.isEmpty());
}

QTEST_MAIN(HelpScreenTest)
#include "HelpScreenTest.moc"
