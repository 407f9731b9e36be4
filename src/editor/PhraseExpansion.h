// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

namespace telvar {

class Dictionary;

// Limits of the nested expansion of dictionary words, so entries that refer to each other, or that
// multiply through many levels, end quickly with a bounded result. A word met again inside its own
// expansion, or nested deeper than the depth limit, adds nothing there. Reaching the length of the result
// or the count of expanded words ends the expansion: the result is what was built up to that point.
inline constexpr int kMaxExpansionDepth = 16;
inline constexpr int kMaxWordExpansions = 4096;         // dictionary words expanded for one text
inline constexpr qsizetype kMaxExpansionLength = 65536; // characters of the result

// Turns what the user typed into mnemonic text: a token that begins with a backslash stays as it is, a
// plain word becomes the expansion of its dictionary entry (nothing when it has none), two blanks become
// " \P6", three or more " \P4 \P1", each comma " \P2". Other characters ("'", ".", "#" ...) are skipped
// without ending a run, so "don't" is the word "dont". A trailing run of blanks adds nothing.
QString ExpandPhrase(QStringView text, const Dictionary& dictionary);

} // namespace telvar
