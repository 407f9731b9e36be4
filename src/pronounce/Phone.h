// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace telvar::pronounce {

// One ARPAbet phone ("AH", "T") with the stress its source gave it. The pronouncing dictionary that
// Debian ships carries no stress marks, so most phones arrive with kUnknownStress and the rules guess.
struct Phone {
    static constexpr int kUnknownStress = -1;

    QString name;
    int stress = kUnknownStress; // 0 unstressed, 1 primary, 2 secondary

    bool operator==(const Phone&) const = default;
};

using Phones = QList<Phone>;

} // namespace telvar::pronounce
