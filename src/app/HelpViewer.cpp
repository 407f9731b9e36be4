// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpViewer.h"

#include "app/HelpPages.h"
#include "device/CloseKeys.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace telvar {

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), m_browser(new QTextBrowser(this)), m_back(new QToolButton(this)),
      m_forward(new QToolButton(this)), m_problem(new QLabel(this)) {
    setObjectName(QStringLiteral("helpViewer"));
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    // Links to the outside world go to the browser; links between the pages stay here.
    m_browser->setOpenExternalLinks(true);

    const auto setUpStep = [this](QToolButton* button, const char* name, const QString& text,
                                  QStyle::StandardPixmap icon, QKeySequence::StandardKey key) {
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setShortcut(key);
        button->setEnabled(false);
    };
    setUpStep(m_back, "helpBack", tr("Back"), QStyle::SP_ArrowBack, QKeySequence::Back);
    setUpStep(m_forward, "helpForward", tr("Forward"), QStyle::SP_ArrowForward, QKeySequence::Forward);
    auto* openOutside = new QPushButton(tr("Open in browser"), this);
    openOutside->setObjectName(QStringLiteral("helpOpenInBrowser"));
    openOutside->setToolTip(tr("Show this page in your web browser"));

    m_problem->setObjectName(QStringLiteral("helpProblem"));
    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_back);
    bar->addWidget(m_forward);
    bar->addWidget(m_problem, 1);
    bar->addWidget(openOutside);
    auto* column = new QVBoxLayout(this);
    column->addLayout(bar);
    column->addWidget(m_browser, 1);

    connect(m_back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(m_browser->documentTitle()); });
    connect(openOutside, &QPushButton::clicked, this, &HelpViewer::openInBrowser);
    resize(760, 600);
    addCloseKeys(this);
}

HelpViewer::~HelpViewer() = default;

void HelpViewer::showPage(const QUrl& url) {
    m_browser->setSource(url);
    show();
    raise();
    activateWindow();
}

QString HelpViewer::problem() const {
    return m_problem->text();
}

void HelpViewer::sayProblem(const QString& text) {
    m_problem->setText(text);
}

void HelpViewer::openInBrowser() {
    sayProblem({});
    if (!m_extracted) {
        auto folder =
            std::make_unique<QTemporaryDir>(QDir::temp().filePath(QStringLiteral("telvar-help-XXXXXX")));
        QString error;
        if (!folder->isValid()) {
            sayProblem(tr("The help pages could not be written out: %1").arg(folder->errorString()));
            return;
        }
        if (!HelpPages::extractTo(folder->path(), &error)) {
            sayProblem(tr("The help pages could not be written out: %1").arg(error));
            return;
        }
        m_extracted = std::move(folder);
    }
    const QString file = QDir(m_extracted->path()).filePath(QFileInfo(m_browser->source().path()).fileName());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        sayProblem(QStringLiteral("No browser could open %1").arg(file));
}

} // namespace telvar
