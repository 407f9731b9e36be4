// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pronounce/Phone.h"

#include <QList>
#include <QStringView>

namespace telvar::pronounce {

// ARPAbet to SpeakJet allophones (codes 128-199). `spelling` is the written word in lower case; the
// rules read it where the sound alone does not decide (the "o" of "bomb" against the "a" of "father",
// the "wh" of "who").
QList<int> allophoneCodes(QStringView spelling, const Phones& phones);

} // namespace telvar::pronounce
