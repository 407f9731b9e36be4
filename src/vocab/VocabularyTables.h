// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vocab/Vocabulary.h"

#include <QStringList>

namespace telvar {

// A whole vocabulary as it is read, before it replaces the main window's: the internal word list
// (`List1`), the word browser's list (`List3`) and the code table, parallel by word index.
struct VocabularyTables {
    QStringList list1;
    QStringList list3;
    Vocabulary::CodeTable codes{};
};

} // namespace telvar
