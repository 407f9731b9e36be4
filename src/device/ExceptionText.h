// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

namespace telvar {

// What an exception that ended a job says, for a title bar or stderr: "out of memory" for bad_alloc.
QString exceptionText(std::exception_ptr error);

} // namespace telvar
