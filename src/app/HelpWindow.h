// The help window: the bundled help page with every command of the browser's
// and the viewer's menus, its key and its help text. A window of its own beside
// the main window; Esc closes it.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit CHelpWindow(QWidget* parent = nullptr);

    // The help page as HTML, its command lists made from the command table.
    static QString ContentsHtml();

    QTextBrowser* browser() const { return m_Browser; }

private:
    QTextBrowser* m_Browser;
};
