// SPDX-License-Identifier: GPL-3.0-or-later
// The floor the program's start-up is measured against: a Qt Widgets main window with seven empty tabs.
#include <QApplication>
#include <QMainWindow>
#include <QTabWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    auto* tabs = new QTabWidget(&window);
    for (const char* caption : {"ITC", "Telvar X", "SET UP", "Word List", "Help", "Log File", "About"})
        tabs->addTab(new QWidget(tabs), QString::fromLatin1(caption));
    window.setCentralWidget(tabs);
    window.resize(920, 640);
    window.show();
    return app.exec();
}
