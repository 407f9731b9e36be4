// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace telvar {

class DeviceLink;
class Prompter;
class Spinner;
class Vocabulary;

// What a screen may ask of the main window. Screens get this instead of the window itself, so each
// screen can be built and tested alone.
class ScreenHost {
public:
    virtual ~ScreenHost() = default;

    virtual DeviceLink& link() = 0;
    virtual Vocabulary& vocabulary() = 0;
    virtual Prompter& prompter() = 0;
    virtual Spinner& spinner() = 0;

    // The title bar is the status line.
    virtual void setStatus(const QString& text) = 0;
    virtual QString status() const = 0;

    // The please-wait frame ("Please Wait While the Command is finishing"), over whichever screen is shown.
    virtual void setPleaseWaitVisible(bool visible) = 0;
    // Progress of a long job shown in the please-wait frame, with its Cancel button; total 0 hides it.
    virtual void setPleaseWaitProgress(int done, int total) = 0;

    virtual void setTabStripVisible(bool visible) = 0;
    // Shows the Word List screen's frame (`setupframe`) without selecting its tab (the upload does this
    // when it ends).
    virtual void showSetupFrame() = 0;

    // The folder of the word-list files.
    virtual QString dataDir() const = 0;

    // Shows the word editor, opening it on the data folder unless it is open already.
    virtual void openWordEditor() = 0;
};

} // namespace telvar
