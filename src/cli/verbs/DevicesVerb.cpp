// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "emulator/DeviceCandidates.h"
#include "emulator/VirtualDevice.h"

namespace telvar::cli {

Verb devicesVerb() {
    return {
        QStringLiteral("devices"),
        QStringLiteral("list the attached Telvar X devices"),
        QStringLiteral(
            "Usage: telvarctl devices\n"
            "Lists the attached Telvar X devices, one line each: device path, serial number and\n"
            "who holds it (free, or PROGRAM (process N)). Exits with status 1 when none is\n"
            "attached. With --simulate it lists the virtual ones: the state file of each\n"
            "--simulate=FILE, or \"virtual\" for one kept in memory. The serial number or the path\n"
            "chooses a device with --device.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("devices"), QStringLiteral("takes no arguments"));
            const QList<DeviceCandidate> devices = candidateDevices(context.options().emulator);
            if (devices.isEmpty())
                co_return context.fail(QStringLiteral("no Telvar X is attached"));
            for (DeviceCandidate device : devices) {
                const QString holder = holderOf(device);
                // A virtual device has its serial from its first use on: its state file is made now; one
                // kept in memory is made for this listing alone.
                if (device.isVirtual && device.serial.isEmpty() && holder.isEmpty()) {
                    VirtualDevice probe;
                    if (device.path != QLatin1String("virtual")) {
                        if (const QString error = probe.openStateFile(device.path); !error.isEmpty())
                            co_return context.fail(error);
                    }
                    device.serial = probe.serialNumber();
                }
                context.out() << device.path << '\t'
                              << (device.serial.isEmpty() ? QStringLiteral("(no serial number)")
                                                          : device.serial)
                              << '\t' << (holder.isEmpty() ? QStringLiteral("free") : holder) << Qt::endl;
            }
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
