// The viewer's keys beyond its menus, the keypad accelerators, full screen,
// the wheel, scroll bars and the zoom pane.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/ViewerComfort.h"
#include "base/FileName.h"
#include "image/WinBmp.h"
#include "view/Preview.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <memory>

namespace {

void WriteImage(const QString& path, int width, int height, uint8_t shade)
{
    CWinBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = PackPixel(uint8_t(x), uint8_t(y), shade);
    bmp.SaveAsBMP(path.toStdString());
}

bool WaitIdle(CMainWindow& window)
{
    return QTest::qWaitFor([&] { return window.isIdle(); }, 10000);
}

QString Current(CMainWindow& window)
{
    return QString::fromStdString(window.currentFile());
}

// A key press delivered as the X11 window system delivers a keypad key when
// Qt's shortcut matching has missed it.
void RawKeyPress(QWidget* to, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(to, &press);
}

void Wheel(QWidget* to, QPoint at, int delta, Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(QPointF(at), to->mapToGlobal(QPointF(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(to, &event);
}

} // namespace

class ViewerKeysTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;

    QString path(const char* name) const { return m_Dir->filePath(QString::fromLatin1(name)); }

    std::unique_ptr<CMainWindow> viewer()
    {
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        window->resize(900, 600);
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()) || !window->startUp(path("b.bmp").toStdString()))
            return nullptr;
        WaitIdle(*window);
        window->runCommand(ID_VIEWER);
        if (!window->viewerMode() || !WaitIdle(*window))
            return nullptr;
        return window;
    }

    static CViewerComfort& Comfort(CMainWindow& window)
    {
        return *dynamic_cast<CViewerComfort*>(window.findChild<QObject*>(QStringLiteral("viewerComfort")));
    }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        WriteImage(path("a.bmp"), 600, 400, 10);
        WriteImage(path("b.bmp"), 600, 400, 120);
        WriteImage(path("c.bmp"), 600, 400, 240);
        QVERIFY(QDir(m_Dir->path()).mkdir("sub"));
    }

    void keypadKeysZoom_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("raw");
        QTest::addColumn<double>("factor");
        for (bool raw : {false, true}) {
            const char* how = raw ? " (missed by the shortcut map)" : "";
            QTest::newRow(qPrintable(QString("1%1").arg(how))) << int(Qt::Key_1) << raw << 0.25;
            QTest::newRow(qPrintable(QString("4%1").arg(how))) << int(Qt::Key_4) << raw << 1.0;
            QTest::newRow(qPrintable(QString("0%1").arg(how))) << int(Qt::Key_0) << raw << 16.0;
            QTest::newRow(qPrintable(QString("+%1").arg(how))) << int(Qt::Key_Plus) << raw << 1.25;
            QTest::newRow(qPrintable(QString("-%1").arg(how))) << int(Qt::Key_Minus) << raw << 0.75;
        }
    }

    void keypadKeysZoom()
    {
        QFETCH(int, key);
        QFETCH(bool, raw);
        QFETCH(double, factor);
        auto window = viewer();
        QVERIFY(window);
        CPreview* view = window->preview();
        window->runCommand(ID_ACTUAL_SIZE);
        QVERIFY(view->hasFocus());
        const QString text = key == Qt::Key_Plus ? "+" : key == Qt::Key_Minus ? "-" : QString(QChar(key));
        if (raw)
            RawKeyPress(view, Qt::Key(key), Qt::KeypadModifier, text);
        else
            QTest::keyClick(view, Qt::Key(key), Qt::KeypadModifier);
        QCOMPARE(view->geometry().ZoomFactor(), factor);
    }

    void keypadDigitsStayInATextField()
    {
        auto window = viewer();
        QVERIFY(window);
        window->runCommand(ID_BROWSER);
        QVERIFY(WaitIdle(*window));
        window->runCommand(ID_PREVIEW_ZOOM_100);
        QLineEdit* address = window->addressList()->lineEdit();
        address->setFocus();
        address->clear();
        RawKeyPress(address, Qt::Key_1, Qt::KeypadModifier, "1");
        QCOMPARE(window->preview()->geometry().ZoomFactor(), 1.0);
        // With the list focused the keypad is the preview's zoom again.
        window->fileList()->setFocus();
        RawKeyPress(window->fileList(), Qt::Key_1, Qt::KeypadModifier, "1");
        QCOMPARE(window->preview()->geometry().ZoomFactor(), 0.25);
    }

    void everydayKeysStep_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Space") << int(Qt::Key_Space) << "c.bmp";
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << "c.bmp";
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "a.bmp";
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << "a.bmp";
        QTest::newRow("Home") << int(Qt::Key_Home) << "a.bmp";
        QTest::newRow("End") << int(Qt::Key_End) << "c.bmp";
    }

    void everydayKeysStep()
    {
        QFETCH(int, key);
        QFETCH(QString, expected);
        auto window = viewer();
        QVERIFY(window);
        QCOMPARE(Current(*window), QStringLiteral("b.bmp"));
        QTest::keyClick(window->preview(), Qt::Key(key));
        QVERIFY(WaitIdle(*window));
        QCOMPARE(Current(*window), expected);
        // The specified ones still work beside them.
        QTest::keyClick(window->preview(), Qt::Key_PageUp, Qt::ShiftModifier);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(Current(*window), expected == "a.bmp" ? QStringLiteral("b.bmp") : QStringLiteral("c.bmp"));
    }

    void extraKeysShadowNoMenuAccelerator()
    {
        const QKeySequence extra[] = {Qt::Key_Space, Qt::Key_PageDown, Qt::Key_Backspace, Qt::Key_PageUp,
                                      Qt::Key_Home,  Qt::Key_End,      Qt::Key_F11,       Qt::Key_Escape};
        std::vector<int> ids;
        std::function<void(const std::vector<MenuEntry>&)> collect = [&](const std::vector<MenuEntry>& entries) {
            for (const MenuEntry& e : entries) {
                if (e.Kind == MenuEntry::Command)
                    ids.push_back(e.Id);
                else if (e.Kind == MenuEntry::Submenu)
                    collect(e.Children);
            }
        };
        collect(ViewerMenu());
        for (int id : ids) {
            const QKeySequence accelerator =
                QKeySequence::fromString(QString::fromLatin1(FindCommand(id)->Accelerator), QKeySequence::PortableText);
            for (const QKeySequence& key : extra)
                QVERIFY2(accelerator != key, qPrintable(key.toString()));
        }
    }

    void browserKeepsItsOwnKeys()
    {
        auto window = viewer();
        QVERIFY(window);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QVERIFY(!window->viewerMode());
        // Backspace is Back and Space does not step in the browser.
        const std::string folder = window->navigator().CurrentFolder();
        const std::string sub = JoinPath(folder, "sub");
        QVERIFY(window->goToFolder(sub));
        window->runCommand(ID_UP);
        QCOMPARE(window->navigator().CurrentFolder(), folder);
        window->fileList()->setFocus();
        QTest::keyClick(window->fileList(), Qt::Key_Backspace);
        QCOMPARE(window->navigator().CurrentFolder(), sub);
        // A click on the preview leaves the keys with the list.
        QTest::mouseClick(window->preview(), Qt::LeftButton);
        QVERIFY(window->fileList()->hasFocus());
        QVERIFY(WaitIdle(*window));
    }

    void escapeLeavesFullScreenFirst()
    {
        auto window = viewer();
        QVERIFY(window);
        CViewerComfort& comfort = Comfort(*window);
        QTest::keyClick(window->preview(), Qt::Key_F11);
        QVERIFY(comfort.fullScreen());
        QVERIFY(window->menuBar()->isHidden());
        QVERIFY(window->statusBar()->isHidden());
        // The image is fitted to the larger view once it has its size.
        QVERIFY(QTest::qWaitFor([&] { return window->isFullScreen(); }, 5000));
        const ViewRect& display = window->preview()->geometry().Display();
        QVERIFY(display.Width() == window->preview()->width() || display.Height() == window->preview()->height());

        QTest::keyClick(window->preview(), Qt::Key_Escape);
        QVERIFY(!comfort.fullScreen());
        QVERIFY(window->viewerMode());
        QVERIFY(!window->menuBar()->isHidden());
        QVERIFY(!window->statusBar()->isHidden());
        QTest::keyClick(window->preview(), Qt::Key_Escape);
        QVERIFY(!window->viewerMode());

        // A double click toggles it in the viewer only.
        QTest::mouseDClick(window->preview(), Qt::LeftButton);
        QVERIFY(!comfort.fullScreen());
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(WaitIdle(*window));
        QTest::mouseDClick(window->preview(), Qt::LeftButton);
        QVERIFY(comfort.fullScreen());
        // The menus' keys work without the menu bar.
        QTest::keyClick(window->preview(), Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(window->preview()->geometry().ZoomFactor(), 0.25);
        // Leaving the viewer leaves full screen too.
        QTest::keyClick(window.get(), Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!comfort.fullScreen());
        QVERIFY(!window->menuBar()->isHidden());
    }

    void wheelStepsAndCtrlWheelZoomsAboutThePointer()
    {
        auto window = viewer();
        QVERIFY(window);
        CPreview* view = window->preview();
        Wheel(view, QPoint(100, 100), -120, Qt::NoModifier);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(Current(*window), QStringLiteral("c.bmp"));
        Wheel(view, QPoint(100, 100), 120, Qt::NoModifier);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(Current(*window), QStringLiteral("b.bmp"));

        window->runCommand(ID_ZOOM_200);
        const CViewGeometry& g = view->geometry();
        const QPoint at(300, 200);
        const double x = (at.x() - g.Display().Left) / 2.0, y = (at.y() - g.Display().Top) / 2.0;
        Wheel(view, at, 120, Qt::ControlModifier);
        QCOMPARE(g.ZoomFactor(), 2.5);
        QCOMPARE(Current(*window), QStringLiteral("b.bmp"));
        QVERIFY(qAbs((at.x() - g.Display().Left) / 2.5 - x) <= 1);
        QVERIFY(qAbs((at.y() - g.Display().Top) / 2.5 - y) <= 1);
    }

    void arrowsAndScrollBarsPanAZoomedImage()
    {
        auto window = viewer();
        QVERIFY(window);
        CPreview* view = window->preview();
        const CViewGeometry& g = view->geometry();
        // Fitted: no bars, and the arrows leave the view alone.
        QVERIFY(!g.Scrollable());
        QVERIFY(view->horizontalBar()->isHidden());
        const ViewRect fitted = g.Display();
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(g.Display(), fitted);

        window->runCommand(ID_ZOOM_300);
        QVERIFY(g.Scrollable());
        QVERIFY(!view->horizontalBar()->isHidden());
        QVERIFY(!view->verticalBar()->isHidden());
        // The bars take their room from the view.
        QCOMPARE(g.WindowWidth(), view->width() - view->verticalBar()->width());
        QCOMPARE(view->horizontalBar()->maximum(), g.Display().Width() - g.WindowWidth());

        const int left = g.Display().Left, top = g.Display().Top;
        QTest::keyClick(view, Qt::Key_Right);
        QVERIFY(g.Display().Left < left);
        QTest::keyClick(view, Qt::Key_Up, Qt::KeypadModifier);  // the keypad's arrows too
        QVERIFY(g.Display().Top > top);
        QCOMPARE(view->horizontalBar()->value(), -g.Display().Left);
        QCOMPARE(view->verticalBar()->value(), -g.Display().Top);

        view->horizontalBar()->setValue(0);
        QCOMPARE(g.Display().Left, 0);
        view->verticalBar()->setValue(view->verticalBar()->maximum());
        QCOMPARE(g.Display().Bottom, g.WindowHeight());

        window->runCommand(ID_BEST_FIT);
        QVERIFY(view->horizontalBar()->isHidden());
        QVERIFY(view->verticalBar()->isHidden());
        QCOMPARE(g.WindowWidth(), view->width());
    }

    void zoomPaneShowsTheFactor()
    {
        auto window = viewer();
        QVERIFY(window);
        QLabel* pane = window->statusBar()->findChild<QLabel*>(QStringLiteral("zoomPane"));
        QVERIFY(pane);
        window->runCommand(ID_ZOOM_100);
        QCOMPARE(pane->text(), QStringLiteral("100%"));
        QTest::keyClick(window->preview(), Qt::Key_1, Qt::KeypadModifier);
        QCOMPARE(pane->text(), QStringLiteral("25%"));
        // The specified panes keep their texts.
        QCOMPARE(window->paneText(CMainWindow::kStatePane), QStringLiteral("600x400x24bpp"));

        QCOMPARE(ZoomPercentText(1.0), QStringLiteral("100%"));
        QCOMPARE(ZoomPercentText(1.0 / 3), QStringLiteral("33%"));
        QCOMPARE(ZoomPercentText(16.0), QStringLiteral("1600%"));
        QCOMPARE(ZoomPercentText(0.075), QStringLiteral("7.5%"));
        QCOMPARE(ZoomPercentText(0.05), QStringLiteral("5%"));
        QCOMPARE(ZoomPercentText(0.0), QString());
    }
};

OCULANE_APP_TEST(ViewerKeysTest)
#include "ViewerKeysTest.moc"
