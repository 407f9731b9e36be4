// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>

namespace telvar {

// The editor dictionary, an INI file the user keeps by hand: in the section "Words", each key is a plain
// word and its value the editor text the word stands for ("hello = \HE \EH \LO \OW"). Read the way the
// Windows profile reader reads it, since that is where the files come from: section and key names
// without regard to case, the first section and the first key of a name win, lines that begin with ";"
// are comments, values lose surrounding blanks and one pair of surrounding quotes, and nothing is
// escaped.
class Dictionary {
public:
    static constexpr const char* kFileName = "DozudiZEzuve.Dic";
    static constexpr char16_t kWordsSection[] = u"Words";
    // The profile reader's buffer holds 2560 characters with its terminating NUL.
    static constexpr qsizetype kMaxValueLength = 2559;
    // Larger files are not dictionaries anyone typed.
    static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

    Dictionary() = default;

    // The dictionary file of a data folder.
    static QString pathIn(const QString& folder);
    // A missing, unreadable or oversized file gives an empty dictionary: every lookup then gives its
    // default, as it would on Windows. A file that is there but cannot be read also says why in *error.
    static Dictionary read(const QString& path, QString* error = nullptr);
    static Dictionary parse(QByteArrayView content);

    // The value of `key` in `section`, or `defaultText` when the section or the key is missing.
    QString ReadDictionary(QStringView section, QStringView key, const QString& defaultText) const;

private:
    // Section and key names are kept case-folded; each holds the first value of its name.
    QHash<QString, QHash<QString, QString>> m_sections;
};

} // namespace telvar
