// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QString>

namespace telvar {

// Every confirmation and message box goes through here, so the window shows boxes without a nested event
// loop, telvarctl asks on the terminal (or takes --yes), and tests answer at once.
//
// Every question the program asks is about erasing, overwriting, restarting or stopping something (an
// upload, the unit's word list, factory defaults, the boot loader, the log, a running job): Enter, a
// bare Return on the terminal and Escape all give the answer that leaves things as they are (No, Cancel).
// Only a deliberate Yes or OK goes ahead.
class Prompter {
public:
    // The answers to a question about unsaved work.
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual ~Prompter() = default;
    // A Yes/No box; true for Yes.
    virtual QCoro::Task<bool> askYesNo(QString text, QString title = {}) = 0;
    // An OK/Cancel box; true for OK.
    virtual QCoro::Task<bool> askOkCancel(QString text, QString title = {}) = 0;
    // A Save/Discard/Cancel box about work not yet saved; Cancel leaves it open and unsaved.
    virtual QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString text, QString title = {}) = 0;
    // A box with an OK button only.
    virtual QCoro::Task<> inform(QString text, QString title = {}) = 0;
    // From now on nothing is shown: questions are answered No, messages dropped (the program is quitting).
    void silence() { m_silenced = true; }

protected:
    bool silenced() const { return m_silenced; }

private:
    bool m_silenced = false;
};

} // namespace telvar
