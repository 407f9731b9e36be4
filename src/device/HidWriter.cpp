// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/HidWriter.h"

#include "device/DeviceLink.h"

#include <hidapi/hidapi.h>

#include <cerrno>

namespace telvar {

WriteOutcome HidWriter::write(const HidLibrary::OutputReport& report) {
    if (m_closed)
        return {.sent = false, .absent = true, .error = kClosedReason};
    errno = 0;
    const int written = hid_write(m_device.get(), report.data(), report.size());
    const int writeErrno = errno;
    if (written == int(report.size()))
        return {.sent = true, .absent = false, .error = {}};
    // A device pulled out between the write's start and the unplug notice: the kernel says it is gone.
    if (written < 0 && writeErrno == ENODEV)
        return {.sent = false, .absent = true, .error = kClosedReason};
    // The handle is written from this thread only, so its error text is this write's.
    const wchar_t* error = written < 0 ? hid_error(m_device.get()) : nullptr;
    return {.sent = false,
            .absent = false,
            .error =
                error ? QString::fromWCharArray(error)
                      : QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(report.size())};
}

} // namespace telvar
