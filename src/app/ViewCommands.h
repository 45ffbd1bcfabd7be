// The image view's commands: reloading, stepping through the folder in the
// viewer, the zooms of the viewer and of the preview, the clipboard and the
// wallpaper.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CViewCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
