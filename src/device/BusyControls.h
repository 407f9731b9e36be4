// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

namespace telvar {

class DeviceLink;

// Controls that would be refused while a job holds the Telvar X: they are disabled for the job's length,
// with a tool tip naming the job, so a click is never silently ignored. A screen registers them once.
// Routine session readings do not count: they hold the device for a moment and would only make controls
// flicker.
class BusyControls : public QObject {
    Q_OBJECT
public:
    explicit BusyControls(DeviceLink& link, QObject* parent = nullptr);

    void add(QWidget* control);
    template <typename... Widgets> void add(QWidget* first, Widgets*... rest) {
        add(first);
        (add(rest), ...);
    }

    // "The Telvar X is busy: NAME" for the running job, empty while no job runs.
    static QString busyToolTip(const QString& jobName);

private:
    struct Saved {
        QPointer<QWidget> control;
        bool enabled = true;
        QString toolTip;
    };

    void jobBegun();
    void jobEnded();

    DeviceLink& m_link;
    QList<QPointer<QWidget>> m_controls;
    QList<Saved> m_saved; // filled while a job runs
};

} // namespace telvar
