// Thumbnails in the icon views of the browser.
#include "AppTest.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/ThumbnailSource.h"
#include "image/WinBmp.h"
#include "save/PngWriter.h"

#include <QDir>
#include <QIcon>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

namespace {

void WritePicture(const QString& path, int width, int height)
{
    CWinBmp image;
    image.Create(width, height, 32, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.Row32(y)[x] = PackPixel(uint8_t(x), uint8_t(y), uint8_t(x + y));
    WritePNG(path.toStdString(), image, false);
}

} // namespace

class ThumbnailsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_Dir;
    QByteArray m_OldCache;

    QString path(const QString& name) const { return QDir(m_Dir->path()).canonicalPath() + "/" + name; }

    std::unique_ptr<CMainWindow> browser(const QString& folder)
    {
        auto window = std::make_unique<CMainWindow>();
        window->resize(900, 600);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()) || !window->startUp(folder.toStdString()))
            return nullptr;
        return window;
    }

    static bool WaitForThumbnails(CMainWindow& window)
    {
        return QTest::qWaitFor([&] { return window.isIdle(); }, 30000);
    }

    // Rows whose decoration is a 128 x 64 thumbnail (the pictures are 2:1).
    static int RowsWithThumbnails(CMainWindow& window)
    {
        const auto& model = window.fileList()->model();
        int count = 0;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QIcon icon = model.data(model.index(row, 0), Qt::DecorationRole).value<QIcon>();
            count += icon.actualSize(QSize(128, 128)) == QSize(128, 64) ? 1 : 0;
        }
        return count;
    }

private slots:
    void init()
    {
        m_Dir = std::make_unique<QTemporaryDir>();
        QDir(m_Dir->path()).mkpath("photos");
        QDir(m_Dir->path()).mkpath("other");
        m_OldCache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", path("cache").toUtf8());
    }
    void cleanup()
    {
        qputenv("XDG_CACHE_HOME", m_OldCache);
        m_Dir.reset();
    }

    void largeIconsShowThumbnails_data()
    {
        QTest::addColumn<bool>("writableCache");
        QTest::newRow("cache") << true;
        QTest::newRow("no cache") << false;
    }
    void largeIconsShowThumbnails()
    {
        QFETCH(bool, writableCache);
        if (!writableCache) {
            // A file where the cache would go: nothing can be written there.
            std::ofstream(path("blocker").toStdString()) << "x";
            qputenv("XDG_CACHE_HOME", path("blocker").toUtf8());
        }
        for (int i = 0; i < 5; ++i)
            WritePicture(path("photos/p%1.png").arg(i), 400, 200);
        std::ofstream(path("photos/broken.png").toStdString()) << "not a picture";
        auto window = browser(path("photos"));
        QVERIFY(window);
        window->runCommand(ID_MODE_LARGE_ICONS);
        QVERIFY(WaitForThumbnails(*window));
        QCOMPARE(RowsWithThumbnails(*window), 5);
        QCOMPARE(window->fileList()->thumbnails().failedCount(), size_t(1));
        const int entries = QDir(path("cache/thumbnails/normal")).entryList({"*.png"}, QDir::Files).size();
        QCOMPARE(entries, writableCache ? 5 : 0);

        // Details show the type icons again.
        window->runCommand(ID_MODE_DETAILS);
        QCOMPARE(RowsWithThumbnails(*window), 0);
    }

    void nothingOfAFolderLeftIsMade()
    {
        for (int i = 0; i < 40; ++i)
            WritePicture(path("photos/p%1.png").arg(i, 2, 10, QLatin1Char('0')), 1200, 600);
        for (int i = 0; i < 2; ++i)
            WritePicture(path("other/q%1.png").arg(i), 400, 200);
        auto window = browser(path("photos"));
        QVERIFY(window);
        std::mutex mutex;
        bool left = false;
        std::vector<std::string> madeAfter;
        window->fileList()->thumbnails().setStartObserver([&](const std::string& file) {
            std::lock_guard lock(mutex);
            if (left && file.find("/photos/") != std::string::npos)
                madeAfter.push_back(file);
        });
        window->runCommand(ID_MODE_LARGE_ICONS);
        QTest::qWait(0);
        QVERIFY(window->goToFolder(path("other").toStdString()));
        {
            std::lock_guard lock(mutex);
            left = true;
        }
        QVERIFY(WaitForThumbnails(*window));
        QCOMPARE(RowsWithThumbnails(*window), 2);
        std::lock_guard lock(mutex);
        QVERIFY2(madeAfter.empty(), madeAfter.empty() ? "" : madeAfter.front().c_str());
    }
};

OCULANE_APP_TEST(ThumbnailsTest)
#include "ThumbnailsTest.moc"
