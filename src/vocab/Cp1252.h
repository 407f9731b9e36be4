// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1252, the code page of the word files and of the session log. Qt has no codec for it without
// ICU, and the files must come back byte for byte, so the mapping lives here.
namespace telvar::cp1252 {

// Every byte gives one character; the five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) become the control characters of the same number, as Windows reads them, so they survive a round
// trip.
QString decode(QByteArrayView bytes);

// Every character gives one byte; a character the code page cannot hold becomes "?".
QByteArray encode(QStringView text);

// Whether encode() keeps every character of the text.
bool canEncode(QStringView text);

// Upper case that stays inside the code page: a character changes only where its upper-case form is a
// single character the code page holds, so "straße" keeps its ß rather than growing into "STRASSE", and
// "µ" stays rather than becoming a Greek capital that no word file can hold; "à" becomes "À".
QString toUpper(QStringView text);

} // namespace telvar::cp1252
