// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/Prompter.h"

#include <QQueue>
#include <QStringList>

namespace telvar::test {

// Answers confirmations from a queue (Yes/OK when empty), questions about unsaved work from another
// (Discard when empty: like Yes, it goes ahead), and records every text it was shown.
class FakePrompter : public Prompter {
public:
    QStringList texts;
    QStringList titles;
    QQueue<bool> answers;
    QQueue<SaveAnswer> saveAnswers;

    QCoro::Task<bool> askYesNo(QString text, QString title) override { co_return record(text, title); }
    QCoro::Task<bool> askOkCancel(QString text, QString title) override { co_return record(text, title); }
    QCoro::Task<SaveAnswer> askSaveDiscardCancel(QString text, QString title) override {
        if (silenced())
            co_return SaveAnswer::Cancel;
        texts << text;
        titles << title;
        co_return saveAnswers.isEmpty() ? SaveAnswer::Discard : saveAnswers.dequeue();
    }
    QCoro::Task<> inform(QString text, QString title) override {
        if (silenced())
            co_return;
        texts << text;
        titles << title;
        co_return;
    }

private:
    bool record(const QString& text, const QString& title) {
        if (silenced())
            return false;
        texts << text;
        titles << title;
        return answers.isEmpty() ? true : answers.dequeue();
    }
};

} // namespace telvar::test
