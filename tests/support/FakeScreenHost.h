// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakePrompter.h"
#include "device/ScreenHost.h"
#include "device/Spinner.h"
#include "device/DeviceLink.h"
#include "vocab/Vocabulary.h"

#include <QStringList>

namespace telvar::test {

// A main window stand-in for screen tests: records the title bar texts and the frame switches.
class FakeScreenHost : public ScreenHost {
public:
    explicit FakeScreenHost(DeviceLink& link, QString dataDir = {})
        : m_link(link), m_dataDir(std::move(dataDir)) {}

    DeviceLink& link() override { return m_link; }
    Vocabulary& vocabulary() override { return m_vocabulary; }
    Prompter& prompter() override { return m_prompter; }
    Spinner& spinner() override { return m_spinner; }

    void setStatus(const QString& text) override { statuses << text; }
    QString status() const override { return statuses.isEmpty() ? QString() : statuses.last(); }
    void setPleaseWaitVisible(bool visible) override { pleaseWaitVisible = visible; }
    void setPleaseWaitProgress(int done, int total) override {
        progressDone = done;
        progressTotal = total;
    }
    void setTabStripVisible(bool visible) override { tabStripVisible = visible; }
    void showSetupFrame() override { ++setupFrameShown; }
    QString dataDir() const override { return m_dataDir; }
    void openWordEditor() override { ++wordEditorOpened; }

    FakePrompter& fakePrompter() { return m_prompter; }

    QStringList statuses;
    bool pleaseWaitVisible = false;
    bool tabStripVisible = true;
    int progressDone = 0;
    int progressTotal = 0;
    int setupFrameShown = 0;
    int wordEditorOpened = 0;

private:
    DeviceLink& m_link;
    Vocabulary m_vocabulary;
    FakePrompter m_prompter;
    Spinner m_spinner;
    QString m_dataDir;
};

} // namespace telvar::test
