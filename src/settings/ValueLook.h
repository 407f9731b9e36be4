// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAbstractSlider;
class QLineEdit;

namespace telvar {

// A box that only shows what its slider says: drawn on the window's colour, not as a field to type in,
// and left out of the Tab chain.
void lookReadOnly(QLineEdit* box);

// A slider whose value the device has not given (a read runs or failed) is drawn greyed out, as a disabled
// one, and without its handle, while the user can still move it to choose a value; `unknown` false draws it
// as usual again.
void lookUnknown(QAbstractSlider* slider, bool unknown);

} // namespace telvar
