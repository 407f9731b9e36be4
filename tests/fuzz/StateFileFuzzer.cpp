// SPDX-License-Identifier: GPL-3.0-or-later
// The virtual device's state file as a user may have edited it. Any content is either refused with a
// reason or gives a state that is whole (every memory at its size) and that saves and loads back
// unchanged, so a device state never drifts from one run to the next.
#include "FuzzSupport.h"

#include "emulator/StateFile.h"

#include <cstdint>

using namespace telvar;
using telvar::fuzz::require;

namespace {

bool sameState(const DeviceState& a, const DeviceState& b) {
    return a.config == b.config && a.firmware == b.firmware && a.wordMemory == b.wordMemory &&
           a.record == b.record && a.unitWords == b.unitWords && a.unitCommands == b.unitCommands &&
           a.otherKeys == b.otherKeys;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const auto state = StateFile::fromJson(json, &error);
    require(state.has_value() != !error.isEmpty());
    if (!state)
        return 0;
    require(state->wordMemory.size() >= DeviceState::kWordMemorySize);
    require(state->record.size() == size_t(DeviceState::kRecordSlots));

    const auto again = StateFile::fromJson(StateFile::toJson(*state), &error);
    require(again.has_value());
    require(sameState(*state, *again));
    return 0;
}
