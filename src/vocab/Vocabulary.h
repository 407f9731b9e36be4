// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

#include <array>
#include <span>

namespace telvar {

// The vocabulary the main window owns for the whole run: the internal word list `List1`, the word
// browser's list `List3` and the code table. Word index i is entry i of both lists and code row i.
class Vocabulary : public QObject {
    Q_OBJECT
public:
    static constexpr int kRowLength = 10;
    static constexpr int kCodeTableSize = 20601; // elements 0..20600: rows 0..2059
    static constexpr int kTableRows = kCodeTableSize / kRowLength; // 2060 whole rows
    static constexpr int kUploadRows = 2055;                          // rows 0..2054 reach the device
    static constexpr qint16 kPad = 48;
    using CodeTable = std::array<qint16, kCodeTableSize>;

    using QObject::QObject;

    const QStringList& list1() const { return m_list1; }
    const QStringList& list3() const { return m_list3; }
    const CodeTable& codes() const { return m_codes; }

    // Code row `index` (ten elements); index must be below kTableRows.
    std::span<const qint16, kRowLength> row(int index) const {
        return std::span<const qint16, kRowLength>(m_codes.data() + kRowLength * index, kRowLength);
    }

    // Replace the whole vocabulary (start-up load).
    void assign(QStringList list1, QStringList list3, const CodeTable& codes) {
        m_list1 = std::move(list1);
        m_list3 = std::move(list3);
        m_codes = codes;
        Q_EMIT list1Changed();
        Q_EMIT list3Changed();
    }
    void setList1(QStringList list) {
        m_list1 = std::move(list);
        Q_EMIT list1Changed();
    }
    void setList3(QStringList list) {
        m_list3 = std::move(list);
        Q_EMIT list3Changed();
    }
    void setCodes(const CodeTable& codes) { m_codes = codes; }

Q_SIGNALS:
    void list1Changed();
    void list3Changed();

private:
    QStringList m_list1;
    QStringList m_list3;
    CodeTable m_codes{};
};

} // namespace telvar
