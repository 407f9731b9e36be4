// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

#include <functional>

namespace telvar {

// An icon read only when it is first drawn or measured. Reading the first image of a run loads every
// image plugin installed, which a window's start should not wait for on behalf of a button seldom shown.
QIcon deferredIcon(std::function<QIcon()> read);

} // namespace telvar
