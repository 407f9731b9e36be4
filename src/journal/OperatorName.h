// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// Who asks, as the journal keeps it: the program's user and host, "user@host". The user is the one the
// program runs as (root under sudo), which is who holds the device.
QString operatorName();

} // namespace telvar
