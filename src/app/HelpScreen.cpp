// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpScreen.h"

#include "app/HelpPages.h"
#include "app/HelpViewer.h"
#include "device/WindowPlacement.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvar {

HelpScreen::HelpScreen(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("WEBSITE SHORT CUTS"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    column->addWidget(heading);

    for (int page = 0; page < static_cast<int>(HelpPages::kPages.size()); ++page) {
        auto* button = new QPushButton(QString::fromLatin1(HelpPages::kPages[page].caption), this);
        button->setObjectName(QStringLiteral("helpButton_%1").arg(page));
        button->setToolTip(QStringLiteral("Opens a Browser to this page Requires \"IE\""));
        button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
        button->setMinimumWidth(220);
        connect(button, &QPushButton::clicked, this, [this, page] { open(page); });
        column->addWidget(button);
    }
    column->addStretch(1);
}

HelpViewer* HelpScreen::viewer() {
    if (!m_viewer) {
        m_viewer = new HelpViewer(this);
        placeOver(m_viewer, this);
    }
    return m_viewer;
}

void HelpScreen::open(int page) {
    viewer()->showPage(HelpPages::url(HelpPages::kPages[page]));
}

} // namespace telvar
