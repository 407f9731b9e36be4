// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/SessionEnd.h"

#include <array>
#include <utility>

namespace telvar {

namespace {
const std::array<std::pair<SessionEnd, const char*>, 5> kTexts{{
    {SessionEnd::WindowEnded, "window ended"},
    {SessionEnd::DeviceGone, "device gone"},
    {SessionEnd::ProgramClosed, "program closed"},
    {SessionEnd::Interrupted, "interrupted"},
    {SessionEnd::ReadingsMissing, "readings missing"},
}};
} // namespace

QString endText(SessionEnd end) {
    for (const auto& [reason, text] : kTexts) {
        if (reason == end)
            return QString::fromLatin1(text);
    }
    return {};
}

} // namespace telvar
