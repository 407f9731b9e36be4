#include "cli/CliContext.h"
#include "cli/Verb.h"
#include "device/HidapiLibrary.h"

namespace telvar::cli {

Verb devicesVerb() {
    return {
        QStringLiteral("devices"),
        QStringLiteral("list the attached Telvar X devices"),
        QStringLiteral(
            "Usage: telvarctl devices\n"
            "Lists the attached Telvar X devices, one line each: device path and serial number.\n"
            "Exits with status 1 when none is attached. With --simulate it lists the virtual one.\n"),
        [](CliContext& context, QStringList arguments) -> QCoro::Task<int> {
            if (!arguments.isEmpty())
                co_return context.usageError(QStringLiteral("devices"), QStringLiteral("takes no arguments"));
            if (context.options().emulator.simulate) {
                const bool there = co_await context.connectDevice();
                if (!there)
                    co_return kExitFailure;
                context.out() << "virtual\t(simulated)" << Qt::endl;
                co_return kExitOk;
            }
            const auto devices = HidapiLibrary::attachedDevices();
            if (devices.isEmpty())
                co_return context.fail(QStringLiteral("no Telvar X is attached"));
            for (const auto& device : devices) {
                context.out() << device.path << '\t'
                              << (device.serialNumber.isEmpty() ? QStringLiteral("(no serial number)")
                                                                : device.serialNumber)
                              << Qt::endl;
            }
            co_return kExitOk;
        },
    };
}

} // namespace telvar::cli
