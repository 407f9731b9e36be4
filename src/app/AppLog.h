// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLoggingCategory>

// What the window program's shell reports for developers ("telvar.app"), defined beside the main window.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
