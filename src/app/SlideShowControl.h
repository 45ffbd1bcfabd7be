// CSlideShowControl: the main window's slide show, run from the user-interface
// thread. At each step it reads the file list as it is then, picks the next
// item, has the worker (CSlideShow) decode and shrink it while the current
// image is shown, and puts it on screen when it is due (a QTimer, no
// waiting). When an image is due as soon as it is ready, the file after it
// is asked for as soon as it is decoded, so decoding never waits for the
// shrinking. It owns Run and Stop and says which commands a show leaves on.
#pragma once

#include "view/SlideShow.h"
#include "view/SlideShowSteps.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>

class CMainWindow;

// State pane texts of the show.
constexpr const char* kSlideUnknownFormatText = " Unknown format";
constexpr const char* kSlideEmptyListText = "  Slide show ended: the list is empty.";
constexpr const char* kSlideNothingLoadsText = "  Slide show ended: no image could be loaded.";

class CSlideShowControl : public QObject, private ISlideShowOwner {
    Q_OBJECT
public:
    explicit CSlideShowControl(CMainWindow& window);
    ~CSlideShowControl() override;

    bool running() const { return m_Running; }
    // A show has started and its first step is still being prepared.
    bool starting() const { return m_Running && m_Steps == 0; }
    // Starts the show in viewer mode when the list holds more than one item,
    // after the save question for a changed image. False when it did not start.
    bool start();
    // Ends the show: the timer stops, the worker is told to stop and joined.
    // With reload, a view that shows a slide loads the current file again,
    // at full size, as any load does.
    void stop(bool reload);
    // Whether a command may run: while a show runs, or its last slide is still
    // shown, nothing that acts on the shown image (or competes with the show).
    bool allows(int id) const;

    // Called after every step with the user-interface time it took in
    // milliseconds (a repaint included); for timing runs.
    void setStepObserver(std::function<void(double)> observer) { m_Observer = std::move(observer); }

private:
    // An item asked of the worker.
    struct Pending {
        uint64_t Serial = 0;  // 0: none
        std::string Name;
        long Row = -1;
    };

    // On the worker's threads: passed on to the user-interface thread.
    void OnSlideDecoded(uint64_t serial, bool ok) override;
    void OnSlideReady() override;

    // Picks the item after the one named (at row, when gone from the list) and
    // asks for it; false when the show ended instead.
    bool request(const std::string& afterName, long afterRow, bool keepEarlier, Pending& into);
    void requestNext();
    void askAhead();
    void decoded(uint64_t serial, bool ok);
    void prepared();
    void flip();
    void end(const char* text);
    static int64_t now();

    CMainWindow& m_Window;
    std::unique_ptr<CSlideShow> m_Worker;
    QTimer m_Timer;
    bool m_Running = false;
    SlideOptions m_Options;
    std::optional<CSlideStepper> m_Stepper;
    CSlideTiming m_Timing{0, true};
    std::string m_Folder;
    // The item the show stands on (shown or failed) and its row when last seen.
    std::string m_CurrentName;
    long m_CurrentRow = -1;
    // The item to be shown next, and its image once it is ready; the one
    // after it when it was asked for early.
    Pending m_Next, m_Ahead;
    std::unique_ptr<SlideImage> m_Ready;
    // Items that failed since an image was last shown; never picked again
    // until one is, so a folder where nothing decodes ends after one round.
    std::unordered_set<std::string> m_Failed;
    long m_Steps = 0;  // of this show, failed ones included
    std::function<void(double)> m_Observer;
};
