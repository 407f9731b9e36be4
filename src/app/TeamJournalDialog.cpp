// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TeamJournalDialog.h"

#include "app/TeamJournalLink.h"
#include "journal/TeamJournalTrouble.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace telvar {

TeamJournalDialog::TeamJournalDialog(TeamJournalLink& link, QWidget* parent) : QDialog(parent), m_link(link) {
    setObjectName(QStringLiteral("teamJournalDialog"));
    setWindowTitle(tr("Team journal"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("The team journal's PostgreSQL server, as\n"
                                "postgresql://USER@HOST:PORT/DATABASE?sslmode=require\n"
                                "(the password comes from ~/.pgpass or PGPASSWORD; empty: none)"),
                             this);
    m_url = new QLineEdit(m_link.url(), this);
    m_url->setObjectName(QStringLiteral("teamJournalUrl"));
    m_url->setMinimumWidth(m_url->fontMetrics().averageCharWidth() * 60);
    label->setBuddy(m_url);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("teamJournalMessage"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_try = buttons->addButton(tr("&Try"), QDialogButtonBox::ActionRole);
    m_try->setObjectName(QStringLiteral("teamJournalTry"));
    layout->addWidget(label);
    layout->addWidget(m_url);
    layout->addWidget(m_message);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TeamJournalDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_try, &QPushButton::clicked, this, &TeamJournalDialog::tryAddress);
    connect(m_url, &QLineEdit::textEdited, this, [this] {
        ++m_trial;
        m_try->setEnabled(true);
        say({});
    });
}

void TeamJournalDialog::accept() {
    QString error;
    if (!m_link.setUrl(m_url->text(), &error)) {
        say(error);
        m_url->setFocus();
        return;
    }
    QDialog::accept();
}

void TeamJournalDialog::tryAddress() {
    if (m_url->text().trimmed().isEmpty()) {
        say(tr("No address: there is nothing to try."));
        return;
    }
    QString error;
    const auto address = TeamJournalAddress::parse(m_url->text().trimmed(), &error);
    if (!address) {
        say(error);
        return;
    }
    const int trial = ++m_trial;
    m_try->setEnabled(false);
    say(tr("Trying %1...").arg(address->shown()));
    m_link.tryAddress(*address, this, [this, trial, shown = address->shown()](const QString& failure) {
        if (trial != m_trial)
            return;
        m_try->setEnabled(true);
        if (failure.isEmpty())
            say(tr("%1 answered and let the user in.").arg(shown));
        else
            say(tr("Team journal %1").arg(teamJournalTrouble(failure)),
                QStringLiteral("%1\n%2").arg(shown, failure));
    });
}

void TeamJournalDialog::say(const QString& text, const QString& details) {
    m_message->setText(text);
    m_message->setToolTip(details);
}

} // namespace telvar
