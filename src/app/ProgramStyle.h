// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QProxyStyle>

class QFocusFrame;

namespace telvar {

// The platform's style with the program's own touches:
// - keyboard focus on a text box, a list or a number box shows as a thick frame in the highlight colour,
//   not only as a change of colour;
// - the menu and tool bars' overflow buttons read their icons when first drawn, not at the window's start.
// A style sheet did the first, at the price of a slower start and of every widget polished through it.
class ProgramStyle : public QProxyStyle {
    Q_OBJECT
public:
    ProgramStyle();

    // Makes it the application's style, once.
    static void install();

    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the focus frame paints: the focused widget's outermost pixels, within the frame widget's
    // rectangle `outer`.
    QRegion ring(const QRect& outer, const QStyleOption* option) const;

    QPointer<QFocusFrame> m_focusFrame;
};

} // namespace telvar
