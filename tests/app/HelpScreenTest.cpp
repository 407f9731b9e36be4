#include "support/FakeScreenHost.h"

#include "app/HelpScreen.h"
#include "app/HelpViewer.h"
#include "emulator/EmulatedLibrary.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

using namespace telvar;

class HelpScreenTest : public QObject {
    Q_OBJECT
private slots:
    void eachButtonShowsItsPageWithLinksAndBack();
};

// The pages come from the program itself, wherever it and the sources lie.
void HelpScreenTest::eachButtonShowsItsPageWithLinksAndBack() {
    EmulatedLibrary library;
    DeviceLink link(library);
    test::FakeScreenHost host(link);
    HelpScreen screen(host);

    QVERIFY(screen.findChild<QLabel*>()->text() == QStringLiteral("WEBSITE SHORT CUTS"));
    const auto buttons = screen.findChildren<QPushButton*>();
    QCOMPARE(buttons.size(), 8);
    QSet<QString> shown;
    for (QPushButton* button : buttons) {
        QCOMPARE(button->toolTip(), QStringLiteral("Opens a Browser to this page Requires \"IE\""));
        button->click();
        QVERIFY(screen.viewer()->browser()->document()->toPlainText().size() > 100);
        shown << screen.viewer()->browser()->source().toString();
    }
    QCOMPARE(shown.size(), 8); // each button its own page

    buttons.first()->click();
    HelpViewer* viewer = screen.viewer();
    QTextBrowser* browser = viewer->browser();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QCOMPARE(browser->source(), QUrl(QStringLiteral("qrc:/telvar/help/getting-started.html")));

    // A click on the link in the pages' top line, then Back.
    QTextCursor linkText = browser->document()->find(QStringLiteral("Connecting"));
    linkText.setPosition(linkText.selectionStart() + 1);
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect(linkText).center());
    QCOMPARE(browser->source(), QUrl(QStringLiteral("qrc:/telvar/help/connecting.html")));
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Connecting the Telvar X - Telvar X help"));
    QTest::mouseClick(viewer->findChild<QToolButton*>(QStringLiteral("helpBack")), Qt::LeftButton);
    QCOMPARE(browser->source(), QUrl(QStringLiteral("qrc:/telvar/help/getting-started.html")));
    QVERIFY(host.statuses.isEmpty());
}

QTEST_MAIN(HelpScreenTest)
#include "HelpScreenTest.moc"
