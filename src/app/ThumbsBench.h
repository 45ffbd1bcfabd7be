// The thumbnail benchmark run of the desktop program: every file of the
// folder in the Large Icons view, timed until the last thumbnail arrives.
#pragma once

class CMainWindow;
class QApplication;

// Prints "thumbs N files in S s (processor P s), C from the cache, F failed"
// and returns 0;
// 1 when the thumbnails stopped coming before every file had its answer.
int RunThumbsBench(QApplication& app, CMainWindow& window);
