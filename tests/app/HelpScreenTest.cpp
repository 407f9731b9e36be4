// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpScreen.h"
#include "app/HelpViewer.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryFile>
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
    HelpScreen screen;

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

    // A browser that cannot be given the page is said in the viewer, where the user asked for it.
    // A temporary folder that is a file: the pages cannot be written out for the browser, even by root.
    QTemporaryFile notAFolder;
    QVERIFY(notAFolder.open());
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(notAFolder.fileName()));
    viewer->findChild<QPushButton*>(QStringLiteral("helpOpenInBrowser"))->click();
    qputenv("TMPDIR", temp);
    QVERIFY2(viewer->problem().startsWith(QStringLiteral("The help pages could not be written out")),
             qPrintable(viewer->problem()));
    QVERIFY(viewer->findChild<QLabel*>(QStringLiteral("helpProblem"))->isVisible());
}

QTEST_MAIN(HelpScreenTest)
#include "HelpScreenTest.moc"
