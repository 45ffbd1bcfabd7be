// CViewerComfort: what the viewer offers beyond its menus: full screen (F11,
// double click; Esc leaves it before it leaves the viewer), the keys every
// viewer has (Space and Page Down for the next image, Backspace and Page Up
// for the previous one, Home and End for the first and last), stepping by
// the mouse wheel and the zoom pane of the status bar.
#pragma once

#include <QByteArray>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class CMainWindow;
class QAction;
class QLabel;

// The zoom as the status bar shows it: "100%", "25%", "7.5%".
QString ZoomPercentText(double factor);

class CViewerComfort : public QObject {
public:
    explicit CViewerComfort(CMainWindow& window);

    // After the window changed to the viewer or the browser.
    void modeChanged(bool viewer);
    bool fullScreen() const { return m_FullScreen; }
    void setFullScreen(bool on);
    QLabel* zoomPane() const { return m_ZoomPane; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* addKeys(QList<QKeySequence> keys, std::function<void()> run);
    void escape();
    void step(int id);
    void updateZoomPane();
    void refit();

    CMainWindow& m_Window;
    std::vector<std::pair<QAction*, QList<QKeySequence>>> m_Keys;
    QLabel* m_ZoomPane = nullptr;
    // The menu commands given to the window while the menu bar is hidden.
    std::vector<QAction*> m_Lent;
    bool m_FullScreen = false;
    bool m_WasMaximised = false;
    bool m_StatusBarWasOn = true;
    // Refit on the resizes that full screen brings, until the view is back
    // at the size it had before.
    bool m_RefitOnResize = false;
    QSize m_SizeBefore;
    QByteArray m_NormalGeometry;
};
