// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramStyle.h"
#include "app/DeferredIcon.h"

#include <QApplication>
#include <QFocusFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace telvar;

namespace {

using Make = std::function<QWidget*(QWidget*)>;

template <class Widget> Make make() {
    return [](QWidget* parent) { return new Widget(parent); };
}

// The frame that shows the focus around `widget`, if one shows.
const QFocusFrame* frameAround(const QWidget* widget) {
    for (const QFocusFrame* frame : widget->window()->findChildren<QFocusFrame*>()) {
        if (frame->widget() == widget && frame->isVisible())
            return frame;
    }
    return nullptr;
}

// The colours of the two outermost columns of `widget` half way down, as the window shows them.
QList<QColor> leftEdge(const QWidget* widget) {
    const QImage window = widget->window()->grab().toImage();
    const QPoint middle = widget->mapTo(widget->window(), QPoint(0, widget->height() / 2));
    return {window.pixelColor(middle), window.pixelColor(middle + QPoint(1, 0))};
}

} // namespace

class ProgramStyleTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ProgramStyle::install(); }

    void theFocusShowsAsAThickFrame_data() {
        QTest::addColumn<Make>("make");
        QTest::addColumn<bool>("framed");
        QTest::addColumn<bool>("toDropDown"); // the keys go to a list dropping down from the box
        QTest::newRow("text box") << make<QLineEdit>() << true << false;
        QTest::newRow("text box, its list drops down") << make<QLineEdit>() << true << true;
        QTest::newRow("list") << make<QListWidget>() << true << false;
        QTest::newRow("text area") << make<QPlainTextEdit>() << true << false;
        QTest::newRow("number box") << make<QSpinBox>() << true << false;
        QTest::newRow("button") << make<QPushButton>() << false << false;
    }
    void theFocusShowsAsAThickFrame() {
        QFETCH(Make, make);
        QFETCH(bool, framed);
        QFETCH(bool, toDropDown);
        QWidget window;
        auto* column = new QVBoxLayout(&window);
        auto* elsewhere = new QPushButton(QStringLiteral("elsewhere"), &window);
        column->addWidget(elsewhere);
        QWidget* widget = make(&window);
        column->addWidget(widget);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QColor highlight = window.palette().color(QPalette::Active, QPalette::Highlight);

        widget->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), widget);
        QCOMPARE(frameAround(widget) != nullptr, framed);
        if (framed)
            QCOMPARE(leftEdge(widget), QList<QColor>({highlight, highlight}));
        if (toDropDown) {
            // The box keeps the frame: the user still types into it.
            QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
            QApplication::sendEvent(widget, &toPopup);
            QVERIFY(frameAround(widget));
            return;
        }

        elsewhere->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), elsewhere);
        QVERIFY(!frameAround(widget));
        QVERIFY(!leftEdge(widget).contains(highlight));
    }

    void anIconIsReadWhenFirstDrawn() {
        int reads = 0;
        const QIcon icon = deferredIcon([&reads] {
            ++reads;
            QPixmap red(16, 16);
            red.fill(Qt::red);
            return QIcon(red);
        });
        QVERIFY(!icon.isNull());
        QCOMPARE(reads, 0);
        QCOMPARE(icon.pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
        icon.pixmap(32, 32);
        QCOMPARE(reads, 1);

        // The overflow buttons get the platform style's own icon all the same.
        const auto* style = qobject_cast<const ProgramStyle*>(QApplication::style());
        QVERIFY(style);
        for (const QStyle::StandardPixmap overflow :
             {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
            QCOMPARE(QApplication::style()->standardIcon(overflow).pixmap(16, 16).toImage(),
                     style->baseStyle()->standardIcon(overflow).pixmap(16, 16).toImage());
        }
    }
};

QTEST_MAIN(ProgramStyleTest)
#include "ProgramStyleTest.moc"
