#include "app/HelpScreen.h"

#include "app/HelpPages.h"
#include "device/ScreenHost.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvar {

HelpScreen::HelpScreen(ScreenHost& host, QString helpFolder, QWidget* parent)
    : QWidget(parent), m_host(host), m_helpFolder(std::move(helpFolder)) {
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

void HelpScreen::open(int page) {
    if (m_helpFolder.isEmpty()) {
        m_host.setStatus(QStringLiteral("Help pages not found: reinstall the program"));
        return;
    }
    const QUrl url = HelpPages::url(m_helpFolder, HelpPages::kPages[page]);
    if (!QDesktopServices::openUrl(url))
        m_host.setStatus(QStringLiteral("No browser could open %1").arg(url.toLocalFile()));
}

} // namespace telvar
