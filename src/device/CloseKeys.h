// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace telvar {

// Esc and Ctrl+W close `window`, a window of its own beside the main one
// (the word editor, the help viewer, the session history), as they close a dialog.
void addCloseKeys(QWidget* window);

} // namespace telvar
