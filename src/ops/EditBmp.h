// The image of the view: a bitmap with a modified flag and one level of undo.
#pragma once

#include "image/WinBmp.h"

class CEditBmp : public CWinBmp {
public:
    bool modified = false;
    bool undoAvailable = false;

    // Copies the whole image into the undo copy; every operation calls it first.
    // Sets undoAvailable, so an operation that fails halfway can be undone.
    void saveUndo();
    // Restores the undo copy; true when the width or height changed. Does
    // nothing (false) unless undoAvailable.
    bool undo();
    // Last step of every operation.
    void finish();
    const CWinBmp& UndoCopy() const { return m_Undo; }

private:
    CWinBmp m_Undo;
    bool m_UndoValid = false;  // m_Undo holds a saved image (not the empty start)
};
