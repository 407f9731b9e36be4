// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

// How a step of a device sequence (a write, a reply wait, a pause) ended.
class WaitResult {
public:
    enum Kind {
        Ok,          // the report went out, the reply arrived, or the pause ran its full period
        TimedOut,    // no reply within the time limit
        Unplugged,   // the device left (or was never there)
        Cancelled,   // the user or the owner cancelled the sequence
        WriteFailed, // a report could not be sent; detail() says why
    };

    WaitResult(Kind kind = Ok, QString detail = {}) : m_kind(kind), m_detail(std::move(detail)) {}

    Kind kind() const { return m_kind; }
    QString detail() const { return m_detail; }
    bool ok() const { return m_kind == Ok; }

    friend bool operator==(const WaitResult& result, Kind kind) { return result.m_kind == kind; }
    friend bool operator==(const WaitResult& a, const WaitResult& b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
    QString m_detail;
};

// A short text for the title bar or stderr: "no reply from the Telvar X", ...
QString describe(const WaitResult& result);

} // namespace telvar
