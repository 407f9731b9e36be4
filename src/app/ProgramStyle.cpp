// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ProgramStyle.h"
#include "app/DeferredIcon.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QFocusEvent>
#include <QFocusFrame>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStyleOption>

namespace telvar {
namespace {

// As thick as the frame the box has without the focus, and then some.
constexpr int kRingWidth = 2;

bool showsFocusFrame(const QWidget* widget) {
    if (qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
        qobject_cast<const QAbstractSpinBox*>(widget))
        return true;
    // The text box of a number box shows the focus through the number box, which holds it.
    return qobject_cast<const QLineEdit*>(widget) &&
           !qobject_cast<const QAbstractSpinBox*>(widget->parentWidget());
}

} // namespace

ProgramStyle::ProgramStyle() = default;

void ProgramStyle::install() {
    if (!qobject_cast<ProgramStyle*>(QApplication::style()))
        QApplication::setStyle(new ProgramStyle);
}

void ProgramStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (showsFocusFrame(widget))
        widget->installEventFilter(this);
}

void ProgramStyle::unpolish(QWidget* widget) {
    if (showsFocusFrame(widget))
        widget->removeEventFilter(this);
    QProxyStyle::unpolish(widget);
}

bool ProgramStyle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut)
        return QProxyStyle::eventFilter(watched, event);
    auto* widget = static_cast<QWidget*>(watched);
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (event->type() == QEvent::FocusIn) {
        // A list that drops down from a box takes the keys for a moment; the box keeps the frame.
        if (widget->window()->windowType() == Qt::Popup)
            return false;
        if (!m_focusFrame)
            m_focusFrame = new QFocusFrame(widget);
        m_focusFrame->setWidget(widget);
    } else if (m_focusFrame && m_focusFrame->widget() == widget && reason != Qt::PopupFocusReason) {
        m_focusFrame->setWidget(nullptr);
    }
    return false;
}

QRegion ProgramStyle::ring(const QRect& outer, const QStyleOption* option) const {
    // The frame widget reaches past the focused widget by the focus frame margins; the ring lies on the
    // widget's own edge, where its frame is drawn.
    const int across = proxy()->pixelMetric(PM_FocusFrameHMargin, option);
    const int down = proxy()->pixelMetric(PM_FocusFrameVMargin, option);
    const QRect edge = outer.adjusted(across, down, -across, -down);
    return QRegion(edge).subtracted(edge.adjusted(kRingWidth, kRingWidth, -kRingWidth, -kRingWidth));
}

void ProgramStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element != CE_FocusFrame)
        return QProxyStyle::drawControl(element, option, painter, widget);
    painter->save();
    painter->setClipRegion(ring(option->rect, option));
    painter->fillRect(option->rect, option->palette.brush(QPalette::Active, QPalette::Highlight));
    painter->restore();
}

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_FocusFrame_AboveWidget:
        return 1;
    case SH_FocusFrame_Mask:
        if (auto* mask = qstyleoption_cast<QStyleHintReturnMask*>(returnData); mask && option) {
            mask->region = ring(option->rect, option);
            return 1;
        }
        return 0;
    default:
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
}

QIcon ProgramStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton)
        return QProxyStyle::standardIcon(icon, option, widget);
    // Every menu bar makes its overflow button at once; it shows only when the menus do not fit.
    QStyleOption direction;
    direction.direction = option   ? option->direction
                          : widget ? widget->layoutDirection()
                                   : QGuiApplication::layoutDirection();
    return deferredIcon([base = QPointer<QStyle>(baseStyle()), icon, direction] {
        return base ? base->standardIcon(icon, &direction) : QIcon();
    });
}

} // namespace telvar
