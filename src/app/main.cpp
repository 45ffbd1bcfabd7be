// oculane [FILE|FOLDER]
// oculane --screenshot OUT.png [--viewer] [--size WxH] [FILE|FOLDER]
//   starts as usual, waits until the listing and the preview are done, writes
//   the window as a PNG and exits. --command ID (repeatable) runs commands
//   after start-up; --timing prints how long listing and preview took.
// oculane --slideshow-bench N FOLDER
//   (for the benchmark) runs a slide show without delay over the folder in a
//   viewer whose image area is 1920 x 1080 until N images were shown, prints
//   the rate and the user-interface time of each step, and exits.
// oculane --step-bench N FOLDER
//   (for the benchmark) shows the folder's first image in a viewer whose image
//   area is 1920 x 1080 and steps N times with Next, each once the images
//   around the shown one are decoded ahead; prints the time from the command
//   to the painted image.
// oculane --first-paint-bench FILE
//   (for the benchmark) opens FILE as from the command line and prints the
//   time from the start of the program to the first paint of its image.
// oculane --thumbs-bench FOLDER
//   (for the benchmark) shows the folder in Large Icons, asks for the
//   thumbnail of every file at once, prints the time until the last one
//   arrived and exits.
// oculane --associate EXT[,EXT...] | --unassociate EXT[,EXT...]
//   makes the program the desktop's opener of those file types, or gives them
//   up, and exits without opening a window.
// oculane --print OUT.pdf [--thumbnails] FILE|FOLDER...
//   prints the images (a folder: its listed files), one a page or as thumbnail
//   index pages, into a PDF with the stored print setup, without a window.
#include "app/AssociationsDialog.h"
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/PrintCommands.h"
#include "app/SlideShowControl.h"
#include "app/ThumbsBench.h"
#include "view/Preview.h"
#include "save/Writers.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QPixmap>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Arguments {
    std::string Path;  // as the system gave it: names need not be valid UTF-8
    std::vector<std::string> Paths;  // every one given (--print takes several)
    QString Print;                   // PDF to print into, without a window
    bool Thumbnails = false;
    QString Screenshot;
    bool Viewer = false;
    QSize Size{1024, 700};
    bool Timing = false;
    std::vector<int> Commands;  // run by id after start-up, as from the menu
    QStringList Associate, Unassociate;  // extensions, without a window
    int SlideBench = 0;  // images to show
    int StepBench = 0;   // steps to time
    bool FirstPaintBench = false;
    bool ThumbsBench = false;
};

int Usage(const char* message)
{
    std::fprintf(stderr, "oculane: %s\nusage: oculane [FILE|FOLDER]\n"
                         "       oculane --screenshot OUT.png [--viewer] [--size WxH] [--command ID]... [--timing] [FILE|FOLDER]\n"
                         "       oculane --associate EXT[,EXT...] | --unassociate EXT[,EXT...]\n"
                         "       oculane --print OUT.pdf [--thumbnails] FILE|FOLDER...\n",
                 message);
    return 2;
}

bool ParseSize(const char* text, QSize& size)
{
    int width = 0, height = 0;
    char extra = 0;
    if (std::sscanf(text, "%dx%d%c", &width, &height, &extra) != 2 || width < 200 || height < 150 ||
        width > 10000 || height > 10000)
        return false;
    size = QSize(width, height);
    return true;
}

// The slide show as fast as it goes, with the image area of a full HD screen.
int RunSlideShowBench(QApplication& app, CMainWindow& window, int images)
{
    CSettings& settings = window.settings();
    settings.SlideDelay = 0;
    settings.SlideDelayFlip = 1;
    settings.SlideImageSize = kSlideBestFit;
    settings.SlidePosition = kSlideCentre;
    settings.SlideSequence = kSlideForward;
    if (!window.viewerMode())
        window.runCommand(ID_VIEWER);
    window.resize(window.size() + (QSize(1920, 1080) - window.preview()->size()));
    while (!window.isIdle())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    std::vector<double> steps;
    QElapsedTimer clock;
    double seconds = 0;
    window.slideShow().setStepObserver([&](double milliseconds) {
        steps.push_back(milliseconds);
        if (steps.size() == static_cast<size_t>(images)) {
            seconds = clock.nsecsElapsed() / 1e9;
            app.quit();
        }
    });
    clock.start();
    window.runCommand(ID_SLIDE_RUN);
    if (!window.slideShow().running()) {
        std::fprintf(stderr, "oculane: the slide show did not start (a folder of two or more files?)\n");
        return 1;
    }
    app.exec();
    if (steps.size() < static_cast<size_t>(images)) {
        std::fprintf(stderr, "oculane: the slide show ended after %zu images: %s\n", steps.size(),
                     window.paneText(CMainWindow::kStatePane).toLocal8Bit().constData());
        return 1;
    }
    const QSize area = window.preview()->size();
    double total = 0, longest = 0;
    for (double ms : steps) {
        total += ms;
        longest = std::max(longest, ms);
    }
    std::printf("slideshow %d images %dx%d in %.3f s, %.3f images/s, ui per step mean %.3f ms max %.3f ms\n", images,
                area.width(), area.height(), seconds, images / seconds, total / images, longest);
    return 0;
}

// Next, as a user steps through photos: each step once the neighbours are
// decoded ahead, timed from the command to the end of the synchronous paint.
int RunStepBench(CMainWindow& window, int steps)
{
    if (!window.viewerMode())
        window.runCommand(ID_VIEWER);
    window.resize(window.size() + (QSize(1920, 1080) - window.preview()->size()));
    CPreview& view = *window.preview();
    if (window.currentFile().empty())
        window.runCommand(ID_FIRST);  // a folder was given: its first image
    const auto settle = [&](size_t preloads) {
        while (!window.isIdle() || view.preloadedCount() < preloads) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);  // the decoder posts nothing when it is done ahead
        }
        QApplication::processEvents();
    };
    settle(1);
    std::vector<double> times;
    for (int i = 0; i < steps; ++i) {
        const std::string before = view.imagePath();
        QElapsedTimer clock;
        clock.start();
        window.runCommand(ID_NEXT);
        if (view.isLoading()) {
            std::fprintf(stderr, "oculane: step %d was not decoded ahead\n", i + 1);
            return 1;
        }
        view.repaint();
        times.push_back(clock.nsecsElapsed() / 1e6);
        if (view.imagePath() == before) {
            std::fprintf(stderr, "oculane: the folder has too few images for %d steps\n", steps);
            return 1;
        }
        settle(2);
    }
    double total = 0, longest = 0;
    for (double ms : times) {
        total += ms;
        longest = std::max(longest, ms);
    }
    const QSize area = view.size();
    std::printf("step %d images %dx%d mean %.3f ms max %.3f ms\n", steps, area.width(), area.height(),
                total / steps, longest);
    return 0;
}

// Times the first paint of the opened image: the paint is run from here so
// the clock stops when it is done, before anything queued behind it.
class CFirstPaintTimer : public QObject {
public:
    CFirstPaintTimer(CPreview& view, const QElapsedTimer& sinceStart) : m_View(view), m_Clock(sinceStart) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &m_View || event->type() != QEvent::Paint || !m_View.hasImage())
            return false;
        m_View.removeEventFilter(this);
        QCoreApplication::sendEvent(&m_View, event);
        std::printf("first paint %dx%d after %.3f ms\n", m_View.image().Width, m_View.image().Height,
                    m_Clock.nsecsElapsed() / 1e6);
        std::fflush(stdout);
        // The listing that follows is not part of the measure.
        std::_Exit(0);
    }

private:
    CPreview& m_View;
    const QElapsedTimer& m_Clock;
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer programStart;
    programStart.start();
    Arguments args;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("oculane %s\n", OCULANE_VERSION);
            return 0;
        } else if (std::strcmp(arg, "--help") == 0) {
            std::printf("usage: oculane [FILE|FOLDER]\n"
                        "       oculane --screenshot OUT.png [--viewer] [--size WxH] [--command ID]... [--timing] [FILE|FOLDER]\n"
                        "       oculane --associate EXT[,EXT...] | --unassociate EXT[,EXT...]\n"
                        "       oculane --print OUT.pdf [--thumbnails] FILE|FOLDER...\n");
            return 0;
        } else if (std::strcmp(arg, "--screenshot") == 0) {
            if (++i >= argc)
                return Usage("--screenshot needs a file name");
            // Absolute now: browsing changes the current folder.
            args.Screenshot = QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
        } else if (std::strcmp(arg, "--viewer") == 0) {
            args.Viewer = true;
        } else if (std::strcmp(arg, "--timing") == 0) {
            args.Timing = true;
        } else if (std::strcmp(arg, "--command") == 0) {
            char* end = nullptr;
            const long id = ++i < argc ? std::strtol(argv[i], &end, 10) : 0;
            if (id <= 0 || id > 65535 || *end != 0)
                return Usage("--command needs a command id");
            if (!FindCommand(static_cast<int>(id)))
                return Usage("--command: no command has that id");
            args.Commands.push_back(static_cast<int>(id));
        } else if (std::strcmp(arg, "--associate") == 0 || std::strcmp(arg, "--unassociate") == 0) {
            const bool associate = arg[2] == 'a';
            if (++i >= argc)
                return Usage(associate ? "--associate needs extensions, such as jpg,png"
                                       : "--unassociate needs extensions, such as jpg,png");
            const QStringList extensions = QString::fromLocal8Bit(argv[i]).split(QLatin1Char(','), Qt::SkipEmptyParts);
            if (extensions.isEmpty())
                return Usage("no extension given");
            (associate ? args.Associate : args.Unassociate) << extensions;
        } else if (std::strcmp(arg, "--print") == 0) {
            if (++i >= argc || !*argv[i])
                return Usage("--print needs a PDF file name");
            args.Print = QString::fromLocal8Bit(argv[i]);
        } else if (std::strcmp(arg, "--thumbnails") == 0) {
            args.Thumbnails = true;
        } else if (std::strcmp(arg, "--slideshow-bench") == 0) {
            char* end = nullptr;
            const long images = ++i < argc ? std::strtol(argv[i], &end, 10) : 0;
            if (images <= 0 || images > 100000 || *end != 0)
                return Usage("--slideshow-bench needs a number of images");
            args.SlideBench = static_cast<int>(images);
        } else if (std::strcmp(arg, "--step-bench") == 0) {
            char* end = nullptr;
            const long steps = ++i < argc ? std::strtol(argv[i], &end, 10) : 0;
            if (steps <= 0 || steps > 100000 || *end != 0)
                return Usage("--step-bench needs a number of steps");
            args.StepBench = static_cast<int>(steps);
        } else if (std::strcmp(arg, "--first-paint-bench") == 0) {
            args.FirstPaintBench = true;
        } else if (std::strcmp(arg, "--thumbs-bench") == 0) {
            args.ThumbsBench = true;
        } else if (std::strcmp(arg, "--size") == 0) {
            if (++i >= argc || !ParseSize(argv[i], args.Size))
                return Usage("--size needs WxH (200x150 to 10000x10000)");
        } else if (arg[0] == '-' && arg[1] == '-') {
            return Usage("unknown option");
        } else {
            args.Paths.push_back(arg);
        }
    }
    if (!args.Paths.empty())
        args.Path = args.Paths.front();
    if (args.Print.isEmpty() && args.Paths.size() > 1)
        return Usage("only one file or folder can be opened");
    if (args.Thumbnails && args.Print.isEmpty())
        return Usage("--thumbnails goes with --print");
    if (!args.Print.isEmpty()) {
        if (args.Paths.empty())
            return Usage("--print needs a file or folder to print");
        if (!args.Screenshot.isEmpty() || !args.Associate.isEmpty() || !args.Unassociate.isEmpty())
            return Usage("--print opens no window");
        // Fonts and the printer need the GUI side of Qt, but no display.
        if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Qt's own notes (a missing runtime folder, a painter that did not
        // start) would come on top of the one line said here.
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        QApplication app(argc, argv);
        QString error, warning;
        const bool printed = CPrintCommands::printToPdf(args.Print, args.Paths, args.Thumbnails, error, warning);
        if (!warning.isEmpty())
            std::fprintf(stderr, "oculane: %s\n", warning.toLocal8Bit().constData());
        if (printed)
            return 0;
        std::fprintf(stderr, "oculane: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    if (!args.Associate.isEmpty() || !args.Unassociate.isEmpty()) {
        if (!args.Path.empty() || !args.Screenshot.isEmpty())
            return Usage("--associate and --unassociate open no file or window");
        QCoreApplication app(argc, argv);
        QString error;
        if (ChangeFileAssociations(args.Associate, args.Unassociate, error))
            return 0;
        std::fprintf(stderr, "oculane: %s\n", error.toLocal8Bit().constData());
        return 1;
    }

    // Screenshots without a display use the offscreen platform, with a screen
    // large enough for the requested window (its own screen is 800 x 600).
    QTemporaryFile screens(QDir::tempPath() + QStringLiteral("/oculane-screens-XXXXXX.json"));
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool noDisplay = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    const bool bench = args.SlideBench > 0 || args.StepBench > 0 || args.FirstPaintBench || args.ThumbsBench;
    if ((!args.Screenshot.isEmpty() || bench) &&
        ((!platform && noDisplay) || (platform && std::strcmp(platform, "offscreen") == 0)) && screens.open()) {
        screens.write(QStringLiteral("{\"screens\": [{\"name\": \"screenshot\", \"x\": 0, \"y\": 0, "
                                     "\"width\": %1, \"height\": %2, \"logicalDpi\": 96, "
                                     "\"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                          .arg(std::max(args.Size.width(), bench ? 2400 : 1920))
                          .arg(std::max(args.Size.height(), bench ? 1500 : 1080))
                          .toUtf8());
        screens.flush();
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens.fileName()).toLocal8Bit().constData(), 1);
    }

    RegisterWriters();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Varnosk Software"));
    QApplication::setApplicationName(QStringLiteral("Oculane"));

    if (!args.Screenshot.isEmpty() || bench) {
        // Nobody is there to answer: messages go to stderr, questions get "No".
        MessageBox::SetHook([](QWidget*, const QString& text, int) {
            std::fprintf(stderr, "oculane: %s\n", text.toLocal8Bit().constData());
            return 0;
        });
    }
    CMainWindow window;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/viewer.svg")));
    window.setTimingOutput(args.Timing);
    // A screenshot leaves the user's settings, favourites and layout alone.
    window.setSaveOnClose(args.Screenshot.isEmpty() && !bench);
    if (!args.Screenshot.isEmpty())
        window.resize(args.Size);
    QElapsedTimer started;
    started.start();
    std::unique_ptr<CFirstPaintTimer> firstPaint;
    if (args.FirstPaintBench) {
        firstPaint = std::make_unique<CFirstPaintTimer>(*window.preview(), programStart);
        window.preview()->installEventFilter(firstPaint.get());
    }
    window.show();
    if (!window.startUp(args.Path))
        return 1;
    if (args.SlideBench > 0)
        return RunSlideShowBench(app, window, args.SlideBench);
    if (args.StepBench > 0)
        return RunStepBench(window, args.StepBench);
    if (args.FirstPaintBench)
        return app.exec();
    if (args.ThumbsBench)
        return RunThumbsBench(app, window);
    if (args.Viewer && !window.viewerMode())
        window.runCommand(ID_VIEWER);
    size_t nextCommand = 0;
    if (args.Screenshot.isEmpty()) {
        for (int id : args.Commands)
            window.runCommand(id);
        return app.exec();
    }

    // Each command once the previous work is done, then the screenshot when
    // the window is idle again (at most a minute in all).
    int result = 1;
    auto* poll = new QTimer(&app);
    QObject::connect(poll, &QTimer::timeout, &app, [&] {
        if (!window.isIdle() && started.elapsed() < 60000)
            return;
        // A command that opens a dialog waits in it: the dialog is what the
        // last command shows, and is closed before any further command.
        QWidget* dialog = QApplication::activeModalWidget();
        if (nextCommand < args.Commands.size()) {
            if (dialog) {
                dialog->close();
                return;
            }
            // Outside this slot, so that a dialog's own loop keeps the poll going.
            const int id = args.Commands[nextCommand++];
            QTimer::singleShot(0, &window, [&window, id] { window.runCommand(id); });
            return;
        }
        poll->stop();
        QApplication::processEvents();
        const QPixmap shot = dialog ? dialog->grab() : window.grab();
        result = shot.save(args.Screenshot, "PNG") ? 0 : 1;
        if (result != 0)
            std::fprintf(stderr, "oculane: cannot write %s\n", args.Screenshot.toLocal8Bit().constData());
        if (args.Timing)
            std::fprintf(stderr, "screenshot after %.3f s\n", started.elapsed() / 1000.0);
        app.quit();
    });
    poll->start(20);
    app.exec();
    return result;
}
