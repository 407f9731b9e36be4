// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace telvar {

// Puts a new window of its own (an editor, a viewer) over `owner`'s window, fitted to the room the owner's
// screen has, before it is first shown. Left alone, the window system may put it at the screen's corner
// and let it run past the screen's edge.
void placeOver(QWidget* window, const QWidget* owner);

} // namespace telvar
