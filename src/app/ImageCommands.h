// The commands that change the shown image: Undo, the flips, transpose, the
// rotations, shear, resize, canvas size and add borders / crop. They are
// enabled while an image is shown and no other is being loaded, so a load
// that finishes can never replace an edited image.
#pragma once

class CCommandDispatcher;
class CMainWindow;

class CImageCommands {
public:
    static void registerWith(CCommandDispatcher& commands, CMainWindow& window);
};
