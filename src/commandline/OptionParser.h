// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace telvar {

// QCommandLineParser as telvar, telvarctl and the verbs use it: error texts that name the word at fault,
// and flags that may carry a value in the "--name=VALUE" form only (QCommandLineParser has no optional
// values; "--simulate=FILE" is one). Words come without the program name. The help texts are written by
// hand, so the options need no descriptions.
class OptionParser {
public:
    void addOption(const QCommandLineOption& option);
    // A flag that may be written "--name=VALUE"; the value is never taken from the next word.
    void addFlagWithAttachedValue(const QString& name);

    // Returns a usage error text, empty on success.
    QString parse(const QStringList& words);

    // The declared option a word names ("--name", "--name=VALUE" or "-n"), or null.
    const QCommandLineOption* find(const QString& word) const;
    // True when the word is a declared option whose value is the next word.
    bool takesNextWord(const QString& word) const;

    bool isSet(const QString& name) const { return m_parser.isSet(name); }
    QString value(const QString& name) const { return m_parser.value(name); }
    QStringList values(const QString& name) const { return m_parser.values(name); }
    QStringList positionalArguments() const { return m_parser.positionalArguments(); }
    // The value of the last "--name=VALUE" of a flag added with addFlagWithAttachedValue, if there was one.
    std::optional<QString> attachedValue(const QString& name) const;
    // Every "--name=VALUE" of such a flag, in order.
    QStringList attachedValues(const QString& name) const { return m_attached.value(name); }

private:
    QCommandLineParser m_parser;
    QList<QCommandLineOption> m_options;
    QStringList m_attachable;
    QHash<QString, QStringList> m_attached;
};

} // namespace telvar
