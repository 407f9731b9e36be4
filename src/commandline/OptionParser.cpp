// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandline/OptionParser.h"

namespace telvar {

namespace {
const QString kEndOfOptions = QStringLiteral("--");
} // namespace

void OptionParser::addOption(const QCommandLineOption& option) {
    m_parser.addOption(option);
    m_options.append(option);
}

void OptionParser::addFlagWithAttachedValue(const QString& name) {
    addOption(QCommandLineOption(name));
    m_attachable.append(name);
}

QString OptionParser::parse(const QStringList& words) {
    // QCommandLineParser skips the first word, the program name.
    QStringList forQt{QString()};
    QString unknown;      // the first word that names no option
    QString flagValue;    // the first flag given a value
    QString valueOf;      // the option word whose value is the next word
    bool literal = false; // after "--" every word is an argument
    for (const QString& word : words) {
        if (literal || !valueOf.isEmpty()) {
            forQt.append(word);
            valueOf.clear();
            continue;
        }
        literal = word == kEndOfOptions;
        const QCommandLineOption* option = literal ? nullptr : find(word);
        const qsizetype equals = word.indexOf(u'=');
        if (option && equals > 0 && m_attachable.contains(option->names().constFirst())) {
            m_attached[option->names().constFirst()].append(word.mid(equals + 1));
            forQt.append(word.left(equals));
            continue;
        }
        if (!option && !literal && unknown.isEmpty() && word.size() > 1 && word.startsWith(u'-'))
            unknown = word.section(u'=', 0, 0);
        if (option && option->valueName().isEmpty() && equals > 0 && flagValue.isEmpty())
            flagValue = word.left(equals);
        if (takesNextWord(word))
            valueOf = word;
        forQt.append(word);
    }
    const bool parsed = m_parser.parse(forQt);
    if (!valueOf.isEmpty())
        return QStringLiteral("%1 needs a value").arg(valueOf);
    if (parsed)
        return {};
    if (!flagValue.isEmpty())
        return QStringLiteral("%1 takes no value").arg(flagValue);
    // Compacted short options ("-hv") are found by QCommandLineParser alone.
    if (!m_parser.unknownOptionNames().isEmpty() && !unknown.isEmpty())
        return QStringLiteral("unknown option %1").arg(unknown);
    return m_parser.errorText();
}

const QCommandLineOption* OptionParser::find(const QString& word) const {
    QString name;
    if (word.startsWith(kEndOfOptions))
        name = word.mid(2).section(u'=', 0, 0);
    else if (word.size() == 2 && word.startsWith(u'-'))
        name = word.mid(1);
    if (name.isEmpty())
        return nullptr;
    for (const QCommandLineOption& option : m_options) {
        if (option.names().contains(name))
            return &option;
    }
    return nullptr;
}

bool OptionParser::takesNextWord(const QString& word) const {
    const QCommandLineOption* option = find(word);
    return option && !option->valueName().isEmpty() && !word.contains(u'=');
}

std::optional<QString> OptionParser::attachedValue(const QString& name) const {
    const auto found = m_attached.constFind(name);
    return found == m_attached.constEnd() ? std::nullopt : std::optional<QString>(found->constLast());
}

} // namespace telvar
