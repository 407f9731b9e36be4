// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <array>

namespace telvar {

// Two files of one folder that only make sense together (a word file and its code file), replaced as
// one: whoever reads them sees the old pair or the new one, even when the writer dies between the two
// files. The files themselves keep their own format; the bookkeeping lies in a third file beside them.
//
// The new content of both files goes first, whole, into a journal FIRST+SECOND.pending, which is
// written atomically and also records what each file held before. Only then are the two files replaced,
// one after the other, and the journal removed. settle() finishes a journal that a dead writer left:
// every file that still holds its old content gets the new one. It never overwrites what it did not
// write itself: a journal that is not whole was never acted on and is removed, a file by that name that
// is not a journal of ours stays, and when a file holds neither the old nor the new content somebody
// wrote it after the writer died, so theirs is kept and the journal dropped.
class PairCommit {
public:
    // Each file is refused beyond this size, as the word-list readers refuse it.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    PairCommit(QString folder, const QString& firstName, const QString& secondName);

    QString journalPath() const;

    // Finishes or drops what an interrupted replace() left. False, with the reason in *error, when a
    // journal's files could not be finished: the pair may then be mixed and must not be read.
    bool settle(QString* error) const;

    // Replaces both files. On failure the old pair is in place and *error says why; only when a file
    // could not get its old content back does the journal stay, so that the next settle() completes
    // the new pair instead.
    bool replace(const QByteArray& first, const QByteArray& second, QString* error) const;

private:
    QString path(int file) const;
    bool finish(const QByteArray& journal, QString* error) const;

    QString m_folder;
    std::array<QString, 2> m_names;
};

} // namespace telvar
