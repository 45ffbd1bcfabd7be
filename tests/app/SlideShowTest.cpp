// The slide show in the main window, driven by command id and keys.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "app/SlideShowControl.h"
#include "platform/Directory.h"
#include "view/Preview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>

namespace {

constexpr int kImageWidth = 800, kImageHeight = 600;

void WriteImage(const QString& path, uint8_t shade)
{
    CWinBmp bmp;
    bmp.Create(kImageWidth, kImageHeight, 32, false);
    for (int y = 0; y < kImageHeight; ++y)
        for (int x = 0; x < kImageWidth; ++x)
            bmp.Row32(y)[x] = PackPixel(shade, uint8_t(x), uint8_t(y));
    bmp.SaveAsBMP(path.toStdString());
}

void WriteJunk(const QString& path)
{
    std::ofstream(path.toStdString(), std::ios::binary) << "not an image at all";
}

bool Running(const CMainWindow& window)
{
    return window.slideShow().running();
}

} // namespace

class SlideShowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    std::string m_StartFolder;
    QStringList m_Messages;
    int m_Answer = 0;

    QString path(const QString& name) const { return m_Dir->filePath(name); }
    QString folder() const { return QDir(m_Dir->path()).canonicalPath(); }

    // The window in viewer mode on `file` with the show's options.
    std::unique_ptr<CMainWindow> viewer(const QString& file, int delay = 10, bool delayFlip = true)
    {
        auto window = std::make_unique<CMainWindow>();
        window->resize(900, 600);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()) || !window->startUp(file.toStdString()))
            return nullptr;
        window->settings().SlideDelay = delay;
        window->settings().SlideDelayFlip = delayFlip ? 1 : 0;
        window->runCommand(ID_VIEWER);
        if (!window->viewerMode() || !QTest::qWaitFor([&] { return window->isIdle(); }, 10000))
            return nullptr;
        return window;
    }

    // The show's first image is on screen.
    static bool WaitForSlide(CMainWindow& window)
    {
        return QTest::qWaitFor([&] { return window.preview()->showsSlide(); }, 20000);
    }

    // After a stop: the current file's own image, at full size, is shown.
    static void VerifyFullImage(CMainWindow& window, const QString& name)
    {
        QVERIFY(QTest::qWaitFor([&] { return window.isIdle(); }, 20000));
        QVERIFY(!window.preview()->showsSlide());
        QVERIFY(window.preview()->hasImage());
        QCOMPARE(QString::fromStdString(window.currentFile()), name);
        QCOMPARE(window.preview()->image().Width, kImageWidth);
        QCOMPARE(window.preview()->image().Height, kImageHeight);
        QVERIFY(window.isCommandEnabled(ID_FILE_SAVE));
        QVERIFY(window.isCommandEnabled(ID_SLIDE_RUN));
    }

private slots:
    void init()
    {
        m_StartFolder = CurrentFolder();
        m_Dir = std::make_unique<QTemporaryDir>();
        WriteImage(path("a.bmp"), 10);
        WriteImage(path("b.bmp"), 120);
        WriteImage(path("c.bmp"), 240);
        m_Messages.clear();
        m_Answer = MessageBox::kNo;
        MessageBox::SetHook([this](QWidget*, const QString& text, int) {
            m_Messages << text;
            return m_Answer;
        });
    }

    void cleanup()
    {
        MessageBox::SetHook({});
        MakeCurrentFolder(m_StartFolder);
        m_Dir.reset();
    }

    void runShowsTheNextImageReducedThenStopBringsBackTheFile()
    {
        auto window = viewer(path("a.bmp"));
        QVERIFY(window);
        QVERIFY(window->isCommandEnabled(ID_SLIDE_RUN));
        QVERIFY(!window->isCommandEnabled(ID_SLIDE_STOP));
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(Running(*window));
        QVERIFY(window->isCommandEnabled(ID_SLIDE_STOP));
        QVERIFY(WaitForSlide(*window));

        // The item after the one selected, shrunk to the window on the worker.
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("b.bmp"));
        const CPreview& view = *window->preview();
        int width = 0, height = 0;
        SlideDisplaySize(kSlideBestFit, kImageWidth, kImageHeight, view.width(), view.height(), width, height);
        QVERIFY(width < kImageWidth);
        QCOMPARE(view.image().Width, width);
        QCOMPARE(view.image().Height, height);
        QCOMPARE(view.geometry().Display().Width(), width);
        QCOMPARE(view.geometry().Display().Left, (view.width() - width) / 2);
        QCOMPARE(view.sourceWidth(), kImageWidth);
        const QString state = window->paneText(CMainWindow::kStatePane);
        QVERIFY2(state.startsWith("  Loaded in ") && state.endsWith(" s"), qPrintable(state));
        QVERIFY(window->paneText(CMainWindow::kMessagePane).startsWith("800x600, 24 bpp"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Oculane - [%1/b.bmp]").arg(folder()));

        window->runCommand(ID_SLIDE_STOP);
        QVERIFY(!Running(*window));
        VerifyFullImage(*window, "b.bmp");
    }

    void sizeAndPositionFollowTheOptions_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("position");
        QTest::newRow("small, centred") << int(kSlideSmall) << int(kSlideCentre);
        QTest::newRow("small, upper left") << int(kSlideSmall) << int(kSlideUpperLeft);
        QTest::newRow("full size, upper left") << int(kSlideFullSize) << int(kSlideUpperLeft);
        QTest::newRow("full size, centred") << int(kSlideFullSize) << int(kSlideCentre);
    }

    void sizeAndPositionFollowTheOptions()
    {
        QFETCH(int, size);
        QFETCH(int, position);
        auto window = viewer(path("a.bmp"));
        QVERIFY(window);
        window->settings().SlideImageSize = size;
        window->settings().SlidePosition = position;
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(WaitForSlide(*window));
        const CPreview& view = *window->preview();
        int width = 0, height = 0;
        SlideDisplaySize(size, kImageWidth, kImageHeight, view.width(), view.height(), width, height);
        const ViewRect& display = view.geometry().Display();
        QCOMPARE(display.Width(), width);
        QCOMPARE(display.Height(), height);
        if (position == kSlideUpperLeft) {
            QCOMPARE(display.Left, 0);
            QCOMPARE(display.Top, 0);
        } else {
            // Centred in the area beside the scroll bars.
            QCOMPARE(display.Left, (view.geometry().WindowWidth() - width) / 2);
            QCOMPARE(display.Top, (view.geometry().WindowHeight() - height) / 2);
        }
        // Larger than the window: it can be dragged.
        QCOMPARE(view.geometry().Scrollable(), width > view.width() || height > view.height());
        window->runCommand(ID_SLIDE_STOP);
        VerifyFullImage(*window, "b.bmp");
    }

    void f3ThenF4AtOnceStops()
    {
        auto window = viewer(path("a.bmp"), 0);
        QVERIFY(window);
        QTest::keyClick(window.get(), Qt::Key_F3);
        QVERIFY(Running(*window));
        QTest::keyClick(window.get(), Qt::Key_F4);
        QVERIFY(!Running(*window));
        VerifyFullImage(*window, QString::fromStdString(window->currentFile()));
        // And once images flip as fast as they decode.
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(WaitForSlide(*window));
        QVERIFY(QTest::qWaitFor([&] { return window->currentFile() == "a.bmp"; }, 20000));
        window->runCommand(ID_SLIDE_STOP);
        VerifyFullImage(*window, QString::fromStdString(window->currentFile()));
    }

    void editingAndSavingAreOffWhileTheShowRuns()
    {
        auto window = viewer(path("a.bmp"));
        QVERIFY(window);
        QVERIFY(window->isCommandEnabled(ID_ROTATE_CW));
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(WaitForSlide(*window));
        const int shownWidth = window->preview()->image().Width;
        for (int id : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_UNDO, ID_ROTATE_CW, ID_RESIZE, ID_GAMMA, ID_INVERT_COLORS,
                       ID_FILTER_BLUR, ID_COUNT_COLORS, ID_PASTE_NEW_IMAGE, ID_COPY_IMAGE, ID_WALLPAPER, ID_PRINT,
                       ID_ZOOM_100, ID_NEXT, ID_RELOAD, ID_SLIDE_RUN, ID_DELETE})
            QVERIFY2(!window->isCommandEnabled(id), qPrintable(QString::number(id)));
        for (int id : {ID_SLIDE_STOP, ID_BROWSER, ID_FILE_OPEN, ID_EXIT, ID_REFRESH})
            QVERIFY2(window->isCommandEnabled(id), qPrintable(QString::number(id)));
        // As from a key or the view's menu: nothing happens.
        window->runCommand(ID_ROTATE_CW);
        QCOMPARE(window->preview()->image().Width, shownWidth);
        QVERIFY(!window->preview()->document().modified());
        window->runCommand(ID_SLIDE_STOP);
        VerifyFullImage(*window, "b.bmp");
    }

    void theBrowsersSlideShowSwitchesToTheViewer()
    {
        auto window = std::make_unique<CMainWindow>();
        window->resize(900, 600);
        window->show();
        QVERIFY(window->startUp(path("c.bmp").toStdString()));
        QVERIFY(QTest::qWaitFor([&] { return window->isIdle(); }, 10000));
        QVERIFY(!window->viewerMode());
        QVERIFY(window->isCommandEnabled(ID_SLIDE_SHOW));
        window->runCommand(ID_SLIDE_SHOW);
        QVERIFY(window->viewerMode());
        QVERIFY(Running(*window));
        QVERIFY(!window->isCommandEnabled(ID_SLIDE_SHOW));
        QVERIFY(WaitForSlide(*window));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("a.bmp"));  // wrapped
        // Leaving the viewer ends the show; the preview holds the file's image.
        window->runCommand(ID_BROWSER);
        QVERIFY(!Running(*window));
        QVERIFY(!window->viewerMode());
        QVERIFY(QTest::qWaitFor([&] { return window->isIdle(); }, 20000));
        QVERIFY(!window->preview()->showsSlide());
        QCOMPARE(window->preview()->image().Width, kImageWidth);
    }

    void changingFolderAndClosingStopTheShow()
    {
        QVERIFY(QDir(m_Dir->path()).mkdir("sub"));
        WriteImage(path("sub/d.bmp"), 60);
        auto window = viewer(path("a.bmp"));
        QVERIFY(window);
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(WaitForSlide(*window));
        QVERIFY(window->goToFolder(path("sub").toStdString(), "d.bmp"));
        QVERIFY(!Running(*window));
        QVERIFY(QTest::qWaitFor([&] { return window->isIdle(); }, 20000));
        QVERIFY(!window->preview()->showsSlide());

        window->runCommand(ID_SLIDE_RUN);  // one item: nothing to show
        QVERIFY(!Running(*window));
        QVERIFY(window->goToFolder(m_Dir->path().toStdString(), "c.bmp"));
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(Running(*window));
        QVERIFY(window->close());
        QVERIFY(!Running(*window));
    }

    void aChangedImageAsksFirst()
    {
        auto window = viewer(path("a.bmp"));
        QVERIFY(window);
        window->runCommand(ID_ROTATE_CW);
        QVERIFY(window->preview()->document().modified());
        m_Answer = MessageBox::kCancel;
        window->runCommand(ID_SLIDE_RUN);
        QCOMPARE(m_Messages, QStringList{"Do you want to save your changes?"});
        QVERIFY(!Running(*window));
        m_Answer = MessageBox::kNo;
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(Running(*window));
        window->runCommand(ID_SLIDE_STOP);
    }

    void anUnreadableItemSaysSoAndTheShowGoesOn()
    {
        WriteJunk(path("b.bmp"));
        // Delay flip off: the failed item takes its share of the delay, so its text stays.
        auto window = viewer(path("a.bmp"), 10, false);
        QVERIFY(window);
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(QTest::qWaitFor([&] { return window->paneText(CMainWindow::kStatePane) == kSlideUnknownFormatText; },
                                20000));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("b.bmp"));
        QVERIFY(Running(*window));
        window->runCommand(ID_SLIDE_STOP);
    }

    void aFolderWhereNothingDecodesEndsTheShowAfterOneRound_data()
    {
        QTest::addColumn<int>("sequence");
        QTest::addColumn<bool>("delayFlip");
        QTest::newRow("forward") << int(kSlideForward) << true;
        QTest::newRow("backward, flip off") << int(kSlideBackward) << false;
        QTest::newRow("random") << int(kSlideRandom) << true;
    }

    void aFolderWhereNothingDecodesEndsTheShowAfterOneRound()
    {
        QFETCH(int, sequence);
        QFETCH(bool, delayFlip);
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            WriteJunk(path(name));
        auto window = viewer(path("a.bmp"), 0, delayFlip);
        QVERIFY(window);
        window->settings().SlideSequence = sequence;
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(QTest::qWaitFor([&] { return !Running(*window); }, 20000));
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QString::fromLatin1(kSlideNothingLoadsText));
    }

    void anEmptiedListEndsTheShow()
    {
        auto window = viewer(path("a.bmp"), 0);
        QVERIFY(window);
        window->runCommand(ID_SLIDE_RUN);
        QVERIFY(WaitForSlide(*window));
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            QVERIFY(QFile::remove(path(name)));
        window->runCommand(ID_REFRESH);
        QVERIFY(QTest::qWaitFor([&] { return !Running(*window); }, 20000));
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QString::fromLatin1(kSlideEmptyListText));
        QVERIFY(!window->preview()->showsSlide());
    }
};

OCULANE_APP_TEST(SlideShowTest)
#include "SlideShowTest.moc"
