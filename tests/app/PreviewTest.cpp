// The image view: loading on the worker, fitting, zoom, drawing and panning.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "view/Preview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <string>

namespace {

std::string SamplePath(const char* name)
{
    QString root = qEnvironmentVariable("OCULANE_SOURCE_DIR");
    if (root.isEmpty())
        root = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    return QDir(root).filePath(QStringLiteral("samples/") + QString::fromLatin1(name)).toStdString();
}

// Waits for the one loadFinished of a load and returns its ok argument.
bool WaitLoaded(QSignalSpy& finished, int expectedCount = 1)
{
    if (finished.count() < expectedCount && !finished.wait(20000))
        return false;
    return finished.count() == expectedCount && finished.last().at(0).toBool();
}

// A 32-bit image: top half topColour, bottom half bottomColour.
std::unique_ptr<CWinBmp> TwoBands(int width, int height, uint32_t topColour, uint32_t bottomColour,
                                  bool alpha = false)
{
    auto image = std::make_unique<CWinBmp>();
    image->Create(width, height, 32, alpha);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->Row32(y)[x] = y < height / 2 ? topColour : bottomColour;
    return image;
}

QRgb At(const QImage& shot, int x, int y)
{
    return shot.pixel(x, y) & 0xFFFFFF;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), widget->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Writes a large image the decoder takes a while over.
std::string WriteLargeBmp(const QTemporaryDir& dir, const char* name, int width, int height)
{
    CWinBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = PackPixel(uint8_t(x), uint8_t(y), 90);
    const std::string path = dir.filePath(QString::fromLatin1(name)).toStdString();
    bmp.SaveAsBMP(path);
    return path;
}

} // namespace

class PreviewTest : public QObject {
    Q_OBJECT

private slots:
    void loadsASampleAndFitsIt()
    {
        CPreview view;
        view.resize(100, 50);
        QSignalSpy started(&view, &CPreview::loadStarted);
        QSignalSpy finished(&view, &CPreview::loadFinished);
        view.load(SamplePath("jpeg-colour.jpg"), kPlaceCentre, true, false);
        QCOMPARE(started.count(), 1);
        QVERIFY(view.isLoading());
        QVERIFY(WaitLoaded(finished));
        QVERIFY(finished.last().at(1).toString().isEmpty());
        QVERIFY(!view.isLoading());
        QVERIFY(view.hasImage());
        QCOMPARE(view.image().Width, 140);
        QCOMPARE(view.image().Height, 92);
        QCOMPARE(int(view.image().BitsPerPixel), 32);
        QVERIFY(!view.document().modified());
        QVERIFY(!view.document().undoAvailable());
        QCOMPARE(view.imagePath(), SamplePath("jpeg-colour.jpg"));
        QVERIFY(view.lastLoadMilliseconds() >= 0);
        // 140 x 92 shrunk into 100 x 50: the height fills, width 50 / (92/140).
        const ViewRect& display = view.geometry().Display();
        QCOMPARE(display.Height(), 50);
        QCOMPARE(display.Width(), 76);
        QCOMPARE(display.Left, 12);
        QCOMPARE(display.Top, 0);
        QVERIFY(!view.geometry().Scrollable());
    }

    void failedLoadsEmptyTheView()
    {
        QTemporaryDir dir;
        const std::string empty = dir.filePath(QStringLiteral("empty.jpg")).toStdString();
        QFile(QString::fromStdString(empty)).open(QIODevice::WriteOnly);
        const std::string damaged = dir.filePath(QStringLiteral("damaged.png")).toStdString();
        {
            QFile file(QString::fromStdString(damaged));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0", 18);
        }

        CPreview view;
        view.resize(200, 200);
        for (const std::string& path : {empty, damaged, dir.filePath(QStringLiteral("missing.gif")).toStdString()}) {
            QSignalSpy finished(&view, &CPreview::loadFinished);
            view.load(SamplePath("png-rgba-gradient.png"), kPlaceUpperLeft, true, false);
            QVERIFY(WaitLoaded(finished));
            QVERIFY(view.hasImage());

            view.load(path, kPlaceUpperLeft, true, false);
            QVERIFY(finished.wait(20000));
            QCOMPARE(finished.count(), 2);
            QCOMPARE(finished.last().at(0).toBool(), false);
            QVERIFY2(!finished.last().at(1).toString().isEmpty(), path.c_str());
            QVERIFY(!view.hasImage());
            QVERIFY(view.imagePath().empty());
            QVERIFY(!view.isLoading());
        }
    }

    void onlyTheLatestOfSeveralLoadsFinishes()
    {
        QTemporaryDir dir;
        const std::string large = WriteLargeBmp(dir, "large.bmp", 2000, 1500);
        CPreview view;
        view.resize(300, 300);
        QSignalSpy started(&view, &CPreview::loadStarted);
        QSignalSpy finished(&view, &CPreview::loadFinished);
        view.load(large, kPlaceUpperLeft, true, false);
        view.load(SamplePath("bmp-24bit.bmp"), kPlaceUpperLeft, true, false);
        view.load(SamplePath("gif-16colour.gif"), kPlaceUpperLeft, true, false);
        QCOMPARE(started.count(), 3);
        QVERIFY(WaitLoaded(finished));
        QTest::qWait(300);  // nothing older may arrive later
        QCOMPARE(finished.count(), 1);
        QCOMPARE(view.imagePath(), SamplePath("gif-16colour.gif"));
    }

    void clearForgetsALoadInProgress()
    {
        CPreview view;
        view.resize(100, 100);
        QSignalSpy finished(&view, &CPreview::loadFinished);
        view.load(SamplePath("jpeg-colour.jpg"), kPlaceUpperLeft, true, false);
        view.clear();
        QVERIFY(!view.isLoading());
        QTest::qWait(300);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!view.hasImage());
    }

    void destroyingTheViewDuringALoadIsSafe()
    {
        QTemporaryDir dir;
        const std::string large = WriteLargeBmp(dir, "large.bmp", 3000, 2000);
        for (int wait : {0, 5, 30}) {
            auto* view = new CPreview;
            QPointer<CPreview> guard(view);
            QSignalSpy finished(view, &CPreview::loadFinished);
            view->load(large, kPlaceUpperLeft, true, false);
            QTest::qWait(wait);
            delete view;
            QTest::qWait(50);  // a result posted before the delete must not arrive
            QVERIFY(guard.isNull());
        }
    }

    void zoomCommandsChangeTheDisplay()
    {
        CPreview view;
        view.setScrollBarsEnabled(false);  // the whole 100 x 80 for the image
        view.resize(100, 80);
        QSignalSpy finished(&view, &CPreview::loadFinished);
        view.load(SamplePath("jpeg-colour.jpg"), kPlaceUpperLeft, true, false);
        QVERIFY(WaitLoaded(finished));

        view.setZoom(1.0);
        QCOMPARE(view.geometry().Display().Width(), 140);
        QVERIFY(view.geometry().Scrollable());
        QVERIFY(view.more());
        QCOMPARE(view.geometry().Display().Width(), 175);
        view.setZoom(0.25);
        QVERIFY(!view.less());
        QCOMPARE(view.geometry().Display().Width(), 35);
        view.setZoom(16.0);
        QVERIFY(view.more());
        QCOMPARE(view.geometry().ZoomFactor(), 10.0);
        view.bestFit();
        QCOMPARE(view.geometry().Display().Width(), 100);
        QVERIFY(!view.geometry().Scrollable());

        view.setZoom(2.0);
        view.setPlacement(kPlaceUpperRight);
        QCOMPARE(view.geometry().Display().Right, 100);
    }

    void drawsTheImageUprightAndCentred()
    {
        CPreview view;
        view.resize(200, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setImage(TwoBands(50, 40, 0xFFFF0000, 0xFF0000FF), false);
        const QImage shot = view.grab().toImage();
        const QRgb background = view.palette().window().color().rgb() & 0xFFFFFF;
        // 50 x 40 centred in 200 x 100: (75, 30) to (125, 70).
        QCOMPARE(At(shot, 100, 35), QRgb(0xFF0000));
        QCOMPARE(At(shot, 100, 65), QRgb(0x0000FF));
        QCOMPARE(At(shot, 74, 50), background);
        QCOMPARE(At(shot, 100, 29), background);
        QCOMPARE(At(shot, 100, 70), background);
    }

    void drawsShrunkAndEnlargedImages()
    {
        struct Case {
            int Width, Height;
            double Zoom;
        } cases[] = {{800, 400, 0.2}, {800, 400, 0.7}, {20, 10, 6.0}};
        for (const Case& c : cases) {
            CPreview view;
            view.resize(160, 160);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            view.setImage(TwoBands(c.Width, c.Height, 0xFF00FF00, 0xFFFF00FF), false);
            view.setZoom(c.Zoom);
            const ViewRect& d = view.geometry().Destination();
            const QImage shot = view.grab().toImage();
            const int x = (d.Left + d.Right) / 2;
            QCOMPARE(At(shot, x, d.Top + 2), QRgb(0x00FF00));
            QCOMPARE(At(shot, x, d.Bottom - 3), QRgb(0xFF00FF));
        }
    }

    void transparentPixelsShowWhite()
    {
        CPreview view;
        view.resize(100, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setImage(TwoBands(40, 40, 0x00000000, 0xFF000000, true), true);
        QVERIFY(view.document().modified());
        const QImage shot = view.grab().toImage();
        QCOMPARE(At(shot, 50, 35), QRgb(0xFFFFFF));
        QCOMPARE(At(shot, 50, 65), QRgb(0x000000));
    }

    void draggingPansAScrolledImage()
    {
        CPreview view;
        view.setScrollBarsEnabled(false);
        view.resize(100, 60);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QSignalSpy finished(&view, &CPreview::loadFinished);
        view.load(SamplePath("jpeg-colour.jpg"), kPlaceUpperLeft, false, false);
        QVERIFY(WaitLoaded(finished));
        QVERIFY(view.geometry().Scrollable());
        QCOMPARE(view.geometry().Display().Left, 0);

        SendMouse(&view, QEvent::MouseButtonPress, QPoint(50, 30), Qt::LeftButton, Qt::LeftButton);
        SendMouse(&view, QEvent::MouseMove, QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(view.geometry().Display().Left, -20);
        QCOMPARE(view.geometry().Display().Top, -10);
        SendMouse(&view, QEvent::MouseMove, QPoint(-100, -100), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(view.geometry().Display().Left, -40);  // right edge at the window edge
        QCOMPARE(view.geometry().Display().Top, -32);
        SendMouse(&view, QEvent::MouseButtonRelease, QPoint(-100, -100), Qt::LeftButton, Qt::NoButton);
        SendMouse(&view, QEvent::MouseMove, QPoint(50, 50), Qt::NoButton, Qt::NoButton);
        QCOMPARE(view.geometry().Display().Left, -40);
        QCOMPARE(view.geometry().Source().Left, 40);
    }

    void redrawFollowsSizeChangesAndUndo()
    {
        CPreview view;
        view.resize(200, 200);
        view.setImage(TwoBands(100, 50, 0xFF112233, 0xFF445566), false);
        QCOMPARE(view.geometry().Display().Width(), 100);

        CEditBmp& document = view.document();
        document.result().Create(50, 100, 32, false);
        document.commit();
        view.redraw(true);
        QCOMPARE(view.geometry().Display().Width(), 50);
        QCOMPARE(view.geometry().Display().Height(), 100);

        view.redraw(document.undo());
        QCOMPARE(view.geometry().Display().Width(), 100);
        QVERIFY(!document.undoAvailable());
    }

    void contextMenuSendsCommandIds()
    {
        CPreview view;
        view.setContextMenu(PreviewContextMenu());
        view.setCommandEnabledQuery([](int id) { return id != 32813; });
        QSignalSpy commands(&view, &CPreview::command);
        std::unique_ptr<QMenu> menu = view.createContextMenu();

        QStringList top;
        QList<QAction*> all;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            top << action->text();
            if (action->menu()) {
                for (QAction* sub : action->menu()->actions())
                    all << sub;
            } else {
                all << action;
            }
        }
        QCOMPARE(top, (QStringList{"25%", "50%", "100%", "200%", "500%", "1000%", "1600%", "Image", "Colors",
                                   "Filter", "Convert...", "Add to Favorites..."}));
        QCOMPARE(all.size(), 7 + 8 + 3 + 8 + 2);

        QAction* rotate = nullptr;
        QAction* convert = nullptr;
        for (QAction* action : all) {
            if (action->text() == QStringLiteral("Rotate CCW 90 degrees"))
                rotate = action;
            if (action->text() == QStringLiteral("Convert..."))
                convert = action;
        }
        QVERIFY(rotate && convert);
        QCOMPARE(rotate->data().toInt(), 32822);
        QVERIFY(rotate->isEnabled());
        QVERIFY(!convert->isEnabled());
        rotate->trigger();
        QCOMPARE(commands.count(), 1);
        QCOMPARE(commands.last().at(0).toInt(), 32822);
    }
};

OCULANE_APP_TEST(PreviewTest)

#include "PreviewTest.moc"
