#pragma once

#include <QWidget>

namespace telvar {

class ScreenHost;

// The "Help" screen: one button per help page, each opening the page in the user's browser.
class HelpScreen : public QWidget {
    Q_OBJECT
public:
    // `helpFolder` holds the pages; empty when they were not found.
    HelpScreen(ScreenHost& host, QString helpFolder, QWidget* parent = nullptr);

private:
    void open(int page);

    ScreenHost& m_host;
    QString m_helpFolder;
};

} // namespace telvar
