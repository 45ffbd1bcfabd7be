// The Filter menu: the neighbourhood filters and the normal map.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CFilterCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
