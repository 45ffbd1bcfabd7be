#include "app/ThumbsBench.h"

#include "app/CommandTable.h"
#include "app/FileListView.h"
#include "app/MainWindow.h"
#include "app/ThumbnailSource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <ctime>

int RunThumbsBench(QApplication& app, CMainWindow& window)
{
    CFileListView& list = *window.fileList();
    CThumbnailSource& thumbs = list.thumbnails();
    const size_t files = thumbs.candidateCount();
    QElapsedTimer clock;
    clock.start();
    // Processor time of every thread: what the work costs whatever else runs.
    const std::clock_t cpuStart = std::clock();
    double cpu = 0;
    window.runCommand(ID_MODE_LARGE_ICONS);
    list.wantAllThumbnails();
    double seconds = 0;
    bool finished = false;
    auto check = [&] {
        if (finished || thumbs.arrivedCount() < files)
            return;
        seconds = clock.nsecsElapsed() / 1e9;
        cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        finished = true;
        app.quit();
    };
    QObject::connect(&thumbs, &CThumbnailSource::arrived, &app, check);
    // Files that never answer (folders, or a stall) end the run too.
    QTimer idle;
    int idleTicks = 0;
    QObject::connect(&idle, &QTimer::timeout, &app, [&] {
        idleTicks = thumbs.isBusy() ? 0 : idleTicks + 1;
        if (idleTicks >= 20)
            app.quit();
    });
    idle.start(50);
    check();
    if (!finished)
        app.exec();
    if (!finished) {
        std::fprintf(stderr, "oculane: %zu of %zu thumbnails arrived\n", thumbs.arrivedCount(), files);
        return 1;
    }
    std::printf("thumbs %zu files in %.3f s (processor %.3f s), %zu from the cache, %zu failed\n", files, seconds, cpu,
                thumbs.cachedCount(), thumbs.failedCount());
    return 0;
}
