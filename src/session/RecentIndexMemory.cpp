// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/RecentIndexMemory.h"

#include <algorithm>

namespace telvar {

bool RecentIndexMemory::contains(int index) const {
    return std::find(m_slots.begin(), m_slots.begin() + kConsultedSlots, index) !=
           m_slots.begin() + kConsultedSlots;
}

void RecentIndexMemory::remember(int index, int highByte) {
    int slot = highByte + 1;
    if (slot >= kConsultedSlots)
        slot = 1;
    m_slots[slot] = index;
}

} // namespace telvar
