// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QTemporaryDir;
class QTextBrowser;
class QToolButton;
class QUrl;

namespace telvar {

// A window of its own that shows the compiled-in help pages: links between pages, Back and Forward, and
// the page's title as the window's. "Open in browser" hands the shown page to the user's browser.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    ~HelpViewer() override;

    void showPage(const QUrl& url);
    QTextBrowser* browser() const { return m_browser; }

    // Why the page could not go to the browser, said here where the user asked; empty otherwise.
    QString problem() const;

private:
    void openInBrowser();
    void sayProblem(const QString& text);

    QTextBrowser* m_browser;
    QToolButton* m_back;
    QToolButton* m_forward;
    QLabel* m_problem;
    // The pages written out for the browser, kept for the run: the browser may read them late.
    std::unique_ptr<QTemporaryDir> m_extracted;
};

} // namespace telvar
