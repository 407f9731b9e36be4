// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace telvar {

// The word indexes shown lately, so that a sensor resting on a word does not repeat it. An accepted index
// is kept in the slot chosen by the high byte of its reading, so two words that share a high byte share a
// slot and the later one pushes the earlier one out. Only slots 0..20 are ever consulted; the rest of the
// 151 slots, and slot 0, keep their start value for the whole run.
class RecentIndexMemory {
public:
    static constexpr int kSlots = 151;
    static constexpr int kConsultedSlots = 21;
    static constexpr int kEmpty = 999;

    RecentIndexMemory() { m_slots.fill(kEmpty); }

    bool contains(int index) const;
    // Stores `index` in slot highByte + 1, wrapping to slot 1 beyond slot 20.
    void remember(int index, int highByte);
    int slot(int number) const { return m_slots.at(number); }

private:
    std::array<int, kSlots> m_slots;
};

} // namespace telvar
