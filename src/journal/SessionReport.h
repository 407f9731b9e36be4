// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/JournalSession.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace telvar::sessionreport {

enum class Format { Pdf, Svg, Png };

// The format a file name asks for by its extension (.pdf, .svg, .png, in any case); none for others.
std::optional<Format> formatOf(const QString& path);

// The sessions drawn one page each: a PDF of as many pages, or one SVG or PNG picture with the pages
// one below the other. Rendered in memory, so that a file is written only whole.
QByteArray render(const std::vector<JournalSession>& sessions, Format format);

} // namespace telvar::sessionreport
