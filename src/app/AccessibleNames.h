// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace telvar {

// Controls with no caption of their own (sliders, lists, text boxes, the gauge) are named for screen
// readers after their tool tip, or after their object name when they have none. Controls already named,
// and buttons and boxes whose caption names them, are left alone.
void nameUncaptionedControls(QWidget* root);

} // namespace telvar
