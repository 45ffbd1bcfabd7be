// CEditBmp: the image the view shows, as a document: the bitmap, the file it
// came from, whether it has been changed, and one level of undo.
#pragma once

#include "image/WinBmp.h"

#include <memory>
#include <string>

class CEditBmp {
public:
    CEditBmp();
    ~CEditBmp();
    CEditBmp(const CEditBmp&) = delete;
    CEditBmp& operator=(const CEditBmp&) = delete;

    CWinBmp& image() { return *m_Image; }
    const CWinBmp& image() const { return *m_Image; }
    // The file the image was loaded from; empty for a pasted image.
    const std::string& path() const { return m_Path; }
    bool modified() const { return m_Modified; }
    bool undoAvailable() const { return m_UndoAvailable; }

    // A new image (a load or a paste) replaces the old one and its undo copy.
    void reset(std::unique_ptr<CWinBmp> image, std::string path, bool modified);
    // An empty placeholder image, no file, nothing to undo.
    void clear();

    // An operation that works in place calls saveUndo() first and finish()
    // last. saveUndo() already offers Undo, so an operation that fails
    // halfway can be taken back.
    void saveUndo();
    void finish();

    // An operation that makes a new image fills result() (a buffer kept from
    // one operation to the next, so large images are not allocated afresh)
    // and calls commit(): the result becomes the image and the image it
    // replaces the undo copy, without copying. An operation that fails simply
    // does not commit: image, undo copy and flags stay as they were.
    CWinBmp& result();
    void commit();

    // Brings back the image before the last operation by exchanging it with
    // the current one, so it cannot fail; true when the width or height
    // changed. Does nothing (false) unless undoAvailable().
    bool undo();
    const CWinBmp& undoCopy() const { return *m_Undo; }

private:
    std::unique_ptr<CWinBmp> m_Image;
    std::unique_ptr<CWinBmp> m_Undo;
    std::unique_ptr<CWinBmp> m_Result;
    std::string m_Path;
    bool m_Modified = false;
    bool m_UndoAvailable = false;
};
