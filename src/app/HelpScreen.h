// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

namespace telvar {

class HelpViewer;

// The "Help" screen: one button per help page, each showing the page in the help viewer.
class HelpScreen : public QWidget {
    Q_OBJECT
public:
    explicit HelpScreen(QWidget* parent = nullptr);

    // The viewer the buttons show their pages in; made on first use.
    HelpViewer* viewer();

private:
    void open(int page);

    QPointer<HelpViewer> m_viewer;
};

} // namespace telvar
