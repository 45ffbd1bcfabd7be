// Loading in the viewer: pictures turned upright, files that cannot be shown,
// images decoded ahead for stepping, and an opened file shown before its
// folder is listed.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/MessageBox.h"
#include "view/Preview.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

QString SourceFile(const char* relative)
{
    const char* root = std::getenv("OCULANE_SOURCE_DIR");
    return QString::fromLocal8Bit(root ? root : ".") + "/" + relative;
}

void WriteImage(const QString& path, uint8_t shade, int width = 320, int height = 200)
{
    CWinBmp bmp;
    bmp.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bmp.Row32(y)[x] = PackPixel(shade, uint8_t(x), uint8_t(y));
    bmp.SaveAsBMP(path.toStdString());
}

bool WaitIdle(CMainWindow& window)
{
    return QTest::qWaitFor([&] { return window.isIdle(); }, 10000);
}

} // namespace

class ViewerLoadTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    QStringList m_Messages;

    QString path(const QString& name) const { return m_Dir->filePath(name); }

    std::unique_ptr<CMainWindow> open(const QString& file, bool viewer)
    {
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        window->resize(900, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()) || !window->startUp(file.toStdString()) ||
            !WaitIdle(*window))
            return nullptr;
        if (viewer) {
            window->runCommand(ID_VIEWER);
            if (!window->viewerMode() || !WaitIdle(*window))
                return nullptr;
        }
        return window;
    }

    // Decodes ahead have finished (or there are none to make).
    static bool WaitPreloads(CMainWindow& window, size_t count)
    {
        return QTest::qWaitFor([&] { return window.preview()->preloadedCount() == count; }, 10000);
    }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        m_Messages.clear();
        MessageBox::SetHook([this](QWidget*, const QString& text, int) {
            m_Messages << text;
            return int(MessageBox::kNo);
        });
    }

    void cleanup()
    {
        MessageBox::SetHook({});
        m_Dir.reset();
    }

    void cameraOrientationTurnsTheShownImage()
    {
        QVERIFY(QFile::copy(SourceFile("tests/data/orientation/orient-6.jpg"), path("turned.jpg")));
        const QByteArray before = [&] {
            QFile f(path("turned.jpg"));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        for (const bool viewer : {false, true}) {
            auto window = open(path("turned.jpg"), viewer);
            QVERIFY(window);
            QVERIFY(window->preview()->hasImage());
            // Stored 24 x 16, shown (and described) as 16 x 24.
            QCOMPARE(window->preview()->image().Width, 16);
            QCOMPARE(window->preview()->image().Height, 24);
            if (viewer)
                QVERIFY(window->paneText(CMainWindow::kStatePane).startsWith(QStringLiteral("16x24x")));
            else
                QVERIFY(window->paneText(CMainWindow::kMessagePane).startsWith(QStringLiteral("16x24")));
        }
        QFile after(path("turned.jpg"));
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }

    void unreadableFilesAreNamedWithTheReason()
    {
        std::ofstream(path("empty.jpg").toStdString(), std::ios::binary);
        std::ofstream(path("junk.jpg").toStdString(), std::ios::binary) << "not an image at all";
        const struct {
            const char* Name;
            const char* Reason;
        } cases[] = {
            {"empty.jpg", "The file is empty (0 bytes)."},
            {"junk.jpg", "Unknown format: the file is not an image this program reads."},
        };
        for (const auto& c : cases) {
            auto window = open(path(QString::fromLatin1(c.Name)), true);
            QVERIFY(window);
            QVERIFY(!window->preview()->hasImage());
            QCOMPARE(window->paneText(CMainWindow::kStatePane), QStringLiteral("  Unknown format"));
            QVERIFY2(window->windowTitle().endsWith(QStringLiteral("%1]").arg(QLatin1String(c.Name))),
                     qPrintable(window->windowTitle()));
            QCOMPARE(window->preview()->failedName(), QString::fromLatin1(c.Name));
            QCOMPARE(window->preview()->failureReason(), QString::fromLatin1(c.Reason));
            // The next image that loads takes the message away.
            QVERIFY(m_Messages.isEmpty());
        }
        WriteImage(path("fine.bmp"), 50);
        auto window = open(path("empty.jpg"), true);
        QVERIFY(window);
        window->runCommand(ID_NEXT);  // fine.bmp sorts after empty.jpg
        QVERIFY(WaitIdle(*window));
        QVERIFY(window->preview()->hasImage());
        QVERIFY(window->preview()->failureReason().isEmpty());
    }

    void steppingShowsImagesDecodedAhead()
    {
        for (int i = 0; i < 5; ++i)
            WriteImage(path(QStringLiteral("%1.bmp").arg(char('a' + i))), uint8_t(40 * i));
        auto window = open(path("a.bmp"), true);
        QVERIFY(window);
        CPreview& view = *window->preview();
        // The first image has only a next one.
        QVERIFY(WaitPreloads(*window, 1));
        const uint64_t decodes = view.decodeCount();

        // Next: shown at once, from memory (a decode would still be running).
        QTest::keyClick(window.get(), Qt::Key_PageUp, Qt::ShiftModifier);
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("b.bmp"));
        QVERIFY(view.hasImage() && !view.isLoading());
        QVERIFY(view.imagePath().ends_with("/b.bmp"));

        // Then both neighbours (a and c: b itself was not decoded again), and
        // never more than two held.
        QVERIFY(WaitPreloads(*window, 2));
        QCOMPARE(view.decodeCount(), decodes + 2);
        window->runCommand(ID_NEXT);
        QVERIFY(view.imagePath().ends_with("/c.bmp"));
        QVERIFY(view.preloadedCount() <= 2);
        QVERIFY(WaitPreloads(*window, 2));
        window->runCommand(ID_PREVIOUS);
        QVERIFY(view.imagePath().ends_with("/b.bmp"));
        QVERIFY(WaitPreloads(*window, 2));

        // An edit of the shown image does not reach the copy decoded ahead.
        window->runCommand(ID_FLIP_HORIZONTAL);
        QVERIFY(WaitIdle(*window));
        QVERIFY(view.image().Row32(0)[0] != PackPixel(40, 0, 0));
        window->runCommand(ID_NEXT);  // the change is given up ("No")
        QVERIFY(view.imagePath().ends_with("/c.bmp"));
        QVERIFY(WaitPreloads(*window, 2));
        window->runCommand(ID_PREVIOUS);
        QVERIFY(view.imagePath().ends_with("/b.bmp"));
        QCOMPARE(view.image().Row32(0)[0], PackPixel(40, 0, 0));

        // Leaving the viewer frees them.
        window->runCommand(ID_BROWSER);
        QVERIFY(WaitIdle(*window));
        QCOMPARE(view.preloadedCount(), size_t(0));
    }

    void openedFileIsShownBeforeTheFolderIsListed()
    {
        for (int i = 0; i < 3; ++i)
            WriteImage(path(QStringLiteral("%1.bmp").arg(char('a' + i))), uint8_t(60 * i));
        auto window = std::make_unique<CMainWindow>();
        window->setSaveOnClose(false);
        window->resize(900, 600);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->startUp(path("b.bmp").toStdString()));
        // Start-up returned with the image on its way and no listing yet.
        QCOMPARE(window->listing().RowCount(), size_t(0));
        QVERIFY(window->preview()->isLoading());
        QVERIFY(WaitIdle(*window));
        // Then the listing, with the file selected, and the file decoded once.
        QCOMPARE(window->listing().RowCount(), size_t(3));
        QCOMPARE(QString::fromStdString(window->currentFile()), QStringLiteral("b.bmp"));
        QCOMPARE(window->listing().SelectedCount(), size_t(1));
        QVERIFY(window->preview()->hasImage());
        QCOMPARE(window->preview()->decodeCount(), uint64_t(1));
    }
};

OCULANE_APP_TEST(ViewerLoadTest)
#include "ViewerLoadTest.moc"
