// Convert (Shift+C): the selected files in another format, through the
// "Convert" dialog and the convert run, with a progress dialog for long runs.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CConvertCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);

private:
    static void convert(CMainWindow& window);
};
