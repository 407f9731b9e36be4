// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace telvar {

// Puts the controls of `late` that Tab stops at right after those of `anchor` (or `anchor` itself), in
// their own order. Qt appends a new widget to the end of its window's Tab chain; a screen built after the
// docks is so reached through them first, unless it is moved to where it would have been built.
void placeInTabChainAfter(QWidget* anchor, QWidget* late);

} // namespace telvar
