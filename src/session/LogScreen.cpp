// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/LogScreen.h"

#include "device/ScreenAction.h"
#include "device/ScreenHost.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace telvar {

LogScreen::LogScreen(ScreenHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    auto* title = new QLabel(QStringLiteral("ITC COM LOG"), this);
    title->setObjectName(QStringLiteral("logTitle"));

    m_viewer = new QPlainTextEdit(this);
    m_viewer->setObjectName(QStringLiteral("logViewer"));
    m_viewer->setToolTip(QStringLiteral("Logs of the ITC function in this software"));
    m_viewer->setReadOnly(true);
    m_viewer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* read = new QPushButton(QStringLiteral("Read Log"), this);
    read->setObjectName(QStringLiteral("readLogButton"));
    read->setToolTip(QStringLiteral("Opens the com log file "));

    m_clear = new QPushButton(QStringLiteral("Clear Log"), this);
    m_clear->setObjectName(QStringLiteral("clearLogButton"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(title, 0, 0, 1, 3);
    grid->addWidget(m_viewer, 1, 0, 1, 3);
    grid->addWidget(read, 2, 0);
    grid->addWidget(m_clear, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);

    connect(read, &QPushButton::clicked, &m_model, &LogViewerModel::readLog);
    connect(m_clear, &QPushButton::clicked, this, [this] { runScreenAction(m_host, clearLog()); });
    connect(&m_model, &LogViewerModel::textChanged, m_viewer, &QPlainTextEdit::setPlainText);
    connect(&m_model, &LogViewerModel::problem, this,
            [this](const QString& text) { m_host.setStatus(text); });
}

QCoro::Task<> LogScreen::clearLog() {
    // One box at a time: a second click while the question is open is not another question.
    const QPointer<LogScreen> self(this);
    m_clear->setEnabled(false);
    co_await m_model.clearLog(m_host.prompter());
    if (self)
        m_clear->setEnabled(true);
}

} // namespace telvar
