// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace telvar {

class TeamJournalLink;

// Asks for the team journal's address. An address that is refused stays as it was typed, with the
// reason beneath it; "Try" connects once, on a thread, and says how that went. OK points the link at the
// address (and is `accepted` only then); an empty address means no team journal.
class TeamJournalDialog : public QDialog {
    Q_OBJECT
public:
    TeamJournalDialog(TeamJournalLink& link, QWidget* parent = nullptr);

    void accept() override;

private:
    void tryAddress();
    void say(const QString& text, const QString& details = {});

    TeamJournalLink& m_link;
    QLineEdit* m_url;
    QLabel* m_message;
    QPushButton* m_try;
    int m_trial = 0; // answers of a trial for an address since changed are not shown
};

} // namespace telvar
