// CPreview: the image view of the preview pane and of viewer mode. Decodes on
// a worker thread, keeps a smoothly scaled copy per zoom, draws the visible part
// and pans by dragging, arrow keys and scroll bars.
#pragma once

#include "ops/EditBmp.h"
#include "view/MenuEntry.h"
#include "view/ViewGeometry.h"

#include <QColor>
#include <QImage>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CImageLoader;
class QMenu;
class QScrollBar;
struct ImageLoadResult;

class CPreview : public QWidget {
    Q_OBJECT
public:
    explicit CPreview(QWidget* parent = nullptr);
    ~CPreview() override;

    // Starts decoding path at 32 bits; loadStarted now, loadFinished later on
    // the UI thread. A newer load supersedes one still running: only the
    // latest load is finished. The shown image stays until the result comes.
    void load(const std::string& path, int placement, bool shrinkToFit, bool enlargeToFit);
    // Empties the view (no image, nothing drawn) and forgets a load in progress.
    void clear();
    bool hasImage() const;
    bool isLoading() const;
    // Path of the shown image; empty when none or when it was not loaded from a file.
    const std::string& imagePath() const { return m_Document.path(); }
    // The shown image with its file, modified flag and undo copy.
    CEditBmp& document() { return m_Document; }
    const CEditBmp& document() const { return m_Document; }
    // The view's image; without hasImage() an empty placeholder.
    const CWinBmp& image() const { return m_Document.image(); }
    // Takes a bitmap as the shown image (paste as new image), converted to 32
    // bits, with the fit options of the last load; forgets a load in progress.
    void setImage(std::unique_ptr<CWinBmp> image, bool modified);

    // Shows an image the slide show has already brought to its display size
    // (or left at its own size for the view to enlarge), centred or pinned
    // to the upper left corner; forgets a load in progress. fullWidth and
    // fullHeight are the size of the image in its file.
    void showSlide(std::unique_ptr<CWinBmp> image, std::string path, int displayWidth, int displayHeight,
                   bool upperLeft, int fullWidth, int fullHeight);
    // The view shows a slide: a display copy, not the image of the file,
    // until the next load or clear().
    bool showsSlide() const { return m_Slide; }
    // Size of the shown image in its file (for a slide, not the copy's).
    int sourceWidth() const { return m_Slide ? m_SlideWidth : m_Document.image().Width; }
    int sourceHeight() const { return m_Slide ? m_SlideHeight : m_Document.image().Height; }

    // The shown image again by other fit options (a mode switch that does
    // not decode). A slide keeps the size the show gave it.
    void fitAgain(int placement, bool shrinkToFit, bool enlargeToFit);
    void setZoom(double factor);
    bool more();
    bool less();
    void bestFit();
    void setPlacement(int placement);
    // After an operation: with sizeChanged, the fit rule runs again.
    void redraw(bool sizeChanged);
    const CViewGeometry& geometry() const { return m_Geometry; }
    int64_t lastLoadMilliseconds() const { return m_LoadMs; }
    // Reservations the decoder had about the last loaded image, for a message.
    const QStringList& lastNotices() const { return m_Notices; }
    // The files the viewer may show next, decoded ahead so that a step to one
    // of them shows it at once (at most two; empty frees them).
    void preload(const std::vector<std::string>& paths);
    // After a failed load: the file's name and why it cannot be shown, as the
    // view says them (empty otherwise).
    const QString& failedName() const { return m_FailedName; }
    const QString& failureReason() const { return m_FailureReason; }
    // Images held decoded ahead, and decodes started (for tests and benchmarks).
    size_t preloadedCount() const;
    uint64_t decodeCount() const;
    // Items of later work are shown disabled in the context menu.
    void setCommandEnabledQuery(std::function<bool(int)> query) { m_Enabled = std::move(query); }
    // What the right-click menu offers (none: no menu).
    void setContextMenu(std::vector<MenuEntry> entries) { m_ContextMenu = std::move(entries); }
    // The right-click menu; each item carries its command id as data and
    // emits command(id) when triggered.
    std::unique_ptr<QMenu> createContextMenu();

    // Fill around the image; an invalid colour means the palette's.
    void setBackground(const QColor& colour);
    // Scroll bars for an image larger than the view (on by default).
    void setScrollBarsEnabled(bool on);
    QScrollBar* horizontalBar() const { return m_HBar; }
    QScrollBar* verticalBar() const { return m_VBar; }

signals:
    void loadStarted();
    // The zoom, the size or the part shown changed.
    void viewChanged();
    // The wheel turned without Ctrl: steps > 0 towards the next image.
    void wheelSteps(int steps);
    void doubleClicked();
    // ok false: the file could not be decoded (text in error).
    void loadFinished(bool ok, QString error);
    // A context-menu item: the command id of the main menus.
    void command(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void loadDone(uint64_t generation, const std::shared_ptr<ImageLoadResult>& result);
    void showImage(std::unique_ptr<CWinBmp> image, std::string path, bool modified, int placement, bool shrinkToFit,
                   bool enlargeToFit);
    void dropImage();
    // Brings the scaled copy up to date: always after the pixels changed,
    // otherwise only when the display size changed.
    void rescale(bool pixelsChanged);
    // The fit rule and placement for the image in the window as it is now,
    // then the scaled copy and a repaint.
    void fit(int placement, bool shrinkToFit, bool enlargeToFit, bool pixelsChanged);
    void drawFromImage(class QPainter& painter);
    void drawFailure(class QPainter& painter);
    void addMenuEntries(QMenu& to, const std::vector<MenuEntry>& entries);
    // Shows the scroll bars the display needs and gives the geometry the
    // area left beside them: placed afresh (replace) or keeping the part
    // shown. Then a repaint and viewChanged.
    void updateScrollBars(bool replace);
    // The whole widget as the geometry's window again, before a zoom.
    void useWholeArea();
    void scrollBarMoved();
    void zoomByWheel(int notches, QPointF at);

    CEditBmp m_Document;
    bool m_HasImage = false;
    bool m_Slide = false;
    int m_SlideWidth = 0, m_SlideHeight = 0;
    CViewGeometry m_Geometry;
    QImage m_Scaled;  // the image at display size when shrunk a lot; null otherwise
    QImage m_Prepared;  // a shrunk copy made ahead with the image being shown
    int m_ScaledWidth = 0, m_ScaledHeight = 0;  // display size m_Scaled was made for
    int64_t m_LoadMs = 0;
    QStringList m_Notices;
    std::unique_ptr<CImageLoader> m_Loader;
    std::function<bool(int)> m_Enabled;
    std::vector<MenuEntry> m_ContextMenu;
    // The load whose result is awaited (0: none) and its options.
    uint64_t m_Waiting = 0;
    QString m_FailedName, m_FailureReason;
    int m_LoadPlacement = kPlaceUpperLeft;
    bool m_LoadShrink = true, m_LoadEnlarge = false;
    QScrollBar* m_HBar = nullptr;
    QScrollBar* m_VBar = nullptr;
    bool m_BarsEnabled = true;
    QColor m_Background;
    int m_WheelRest = 0;  // eighths of a degree not yet turned into a step
};
