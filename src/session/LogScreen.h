// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/LogViewerModel.h"

#include <QCoro/QCoroTask>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace telvar {

class ScreenHost;

// The "Log File" screen: the session log shown on request, newest line on top, and erased on request.
class LogScreen : public QWidget {
    Q_OBJECT
public:
    explicit LogScreen(ScreenHost& host, QWidget* parent = nullptr);

    LogViewerModel& model() { return m_model; }

private:
    QCoro::Task<> clearLog();

    ScreenHost& m_host;
    LogViewerModel m_model;
    QPlainTextEdit* m_viewer = nullptr;
    QPushButton* m_clear = nullptr;
};

} // namespace telvar
