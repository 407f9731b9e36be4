// SPDX-License-Identifier: GPL-3.0-or-later
#include "pronounce/PhonemeFallback.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace telvar::pronounce {

namespace {

struct PhonemeName {
    QStringView espeak;
    QStringList arpabet;
};

// espeak-ng's English phoneme names, longest first so that "aI@" wins over "aI" and "a".
const std::vector<PhonemeName>& phonemeNames() {
    static const std::vector<PhonemeName> names = [] {
        std::vector<PhonemeName> all{
            {u"aI@", {"AY", "ER"}}, {u"aU@", {"AW", "ER"}}, {u"i@3", {"IY", "R"}}, {u"i@", {"IY", "R"}},
            {u"e@", {"EH", "R"}},   {u"A@", {"AA", "R"}},   {u"O@", {"AO", "R"}},  {u"o@", {"AO", "R"}},
            {u"U@", {"UH", "R"}},   {u"3:", {"ER"}},        {u"3", {"ER"}},        {u"A:", {"AA"}},
            {u"O:", {"AO"}},        {u"u:", {"UW"}},        {u"i:", {"IY"}},       {u"aI", {"AY"}},
            {u"aU", {"AW"}},        {u"eI", {"EY"}},        {u"OI", {"OY"}},       {u"oU", {"OW"}},
            {u"@L", {"AH", "L"}},   {u"@2", {"AH"}},        {u"@5", {"AH"}},       {u"@", {"AH"}},
            {u"V", {"AH"}},         {u"I2", {"IH"}},        {u"I", {"IH"}},        {u"i", {"IY"}},
            {u"E", {"EH"}},         {u"aa", {"AE"}},        {u"a", {"AE"}},        {u"0", {"AA"}},
            {u"U", {"UH"}},         {u"u", {"UW"}},         {u"O", {"AO"}},        {u"A", {"AA"}},
            {u"e", {"EH"}},         {u"o", {"OW"}},         {u"tS", {"CH"}},       {u"dZ", {"JH"}},
            {u"p", {"P"}},          {u"b", {"B"}},          {u"t", {"T"}},         {u"d", {"D"}},
            {u"k", {"K"}},          {u"g", {"G"}},          {u"f", {"F"}},         {u"v", {"V"}},
            {u"T", {"TH"}},         {u"D", {"DH"}},         {u"s", {"S"}},         {u"z", {"Z"}},
            {u"S", {"SH"}},         {u"Z", {"ZH"}},         {u"h", {"HH"}},        {u"m", {"M"}},
            {u"n", {"N"}},          {u"N", {"NG"}},         {u"l", {"L"}},         {u"r", {"R"}},
            {u"j", {"Y"}},          {u"w", {"W"}},          {u"x", {"K"}},         {u"?", {}},
        };
        std::stable_sort(all.begin(), all.end(), [](const PhonemeName& a, const PhonemeName& b) {
            return a.espeak.size() > b.espeak.size();
        });
        return all;
    }();
    return names;
}

bool isVowel(const QString& phone) {
    static const QStringList vowels{QStringLiteral("AA"), QStringLiteral("AE"), QStringLiteral("AH"),
                                    QStringLiteral("AO"), QStringLiteral("AW"), QStringLiteral("AY"),
                                    QStringLiteral("EH"), QStringLiteral("ER"), QStringLiteral("EY"),
                                    QStringLiteral("IH"), QStringLiteral("IY"), QStringLiteral("OW"),
                                    QStringLiteral("OY"), QStringLiteral("UH"), QStringLiteral("UW")};
    return vowels.contains(phone);
}

} // namespace

PhonemeFallback::PhonemeFallback(QString program, std::chrono::milliseconds timeLimit)
    : m_program(std::move(program)), m_timeLimit(timeLimit) {}

bool PhonemeFallback::isAvailable() const {
    return !m_program.isEmpty() && !QStandardPaths::findExecutable(m_program).isEmpty();
}

std::optional<Phones> PhonemeFallback::read(const QString& word) const {
    static const QRegularExpression letters(QStringLiteral("^[A-Za-z]+('[A-Za-z]+)?$"));
    if (!letters.match(word).hasMatch() || !isAvailable())
        return std::nullopt;
    const std::optional<QString> said = phonemeText(word.toLower());
    if (!said)
        return std::nullopt;
    std::optional<Phones> phones = fromPhonemeText(*said);
    if (!phones || isSpelled(word, *phones))
        return std::nullopt;
    return phones;
}

std::optional<QString> PhonemeFallback::phonemeText(const QString& text) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(m_program, {QStringLiteral("-q"), QStringLiteral("-x"), QStringLiteral("-v"),
                              QStringLiteral("en-us"), text});
    process.closeWriteChannel();
    if (!process.waitForFinished(static_cast<int>(m_timeLimit.count()))) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// espeak-ng spells a word it cannot pronounce ("zqxjvbw" comes out as the names of its seven letters),
// and its phoneme output does not say so; its debug trace does, but in words meant for people that may
// change. So the letters are said once more, each in a clause of its own so that none is read as a word
// ("a" alone is the letter, in a row of blanks it would be the article), and a word that sounds exactly
// like its letters' names, stress aside, was spelled. A word of one letter is legitimately its name.
bool PhonemeFallback::isSpelled(const QString& word, const Phones& phones) const {
    QStringList names;
    for (const QChar c : word) {
        if (c.isLetter())
            names << QString(c.toLower());
    }
    if (names.size() < 2)
        return false;
    // When the letters cannot be said, nothing speaks against the word's own reading.
    const std::optional<QString> said = phonemeText(names.join(QStringLiteral(", ")));
    const std::optional<Phones> spelled = said ? fromPhonemeText(*said) : std::nullopt;
    return spelled && std::equal(phones.begin(), phones.end(), spelled->begin(), spelled->end(),
                                 [](const Phone& a, const Phone& b) { return a.name == b.name; });
}

std::optional<Phones> PhonemeFallback::fromPhonemeText(QStringView text) {
    Phones phones;
    int pendingStress = 0;
    while (!text.isEmpty()) {
        const QChar c = text.front();
        if (c == u'\'' || c == u',') {
            pendingStress = c == u'\'' ? 1 : 2;
            text = text.mid(1);
            continue;
        }
        // Word and syllable boundaries, pauses, lengthening and the other marks carry no phone.
        if (QStringView(u"%=_|#;!-: \n").contains(c)) {
            text = text.mid(1);
            continue;
        }
        const auto& names = phonemeNames();
        const auto name = std::find_if(names.begin(), names.end(),
                                       [&](const PhonemeName& n) { return text.startsWith(n.espeak); });
        if (name == names.end())
            return std::nullopt;
        for (const QString& arpabet : name->arpabet) {
            Phone phone{arpabet, Phone::kUnknownStress};
            // "U@r", "3:r": the R of an R-coloured vowel is written twice.
            if (phone.name == u"R" && !phones.isEmpty() &&
                (phones.last().name == u"R" || phones.last().name == u"ER"))
                continue;
            if (isVowel(phone.name)) {
                phone.stress = pendingStress;
                pendingStress = 0;
            }
            phones.append(phone);
        }
        text = text.mid(name->espeak.size());
    }
    if (phones.isEmpty())
        return std::nullopt;
    return phones;
}

} // namespace telvar::pronounce
