#include "ops/EditBmp.h"

#include <cstring>

void CEditBmp::saveUndo()
{
    // While the copy is being made it holds nothing usable; should it fail, no
    // Undo may offer it.
    undoAvailable = false;
    m_UndoValid = false;
    m_Undo.CopyFrom(*this, BitsPerPixel);
    m_UndoValid = true;
    // An operation that fails after this point leaves a half-changed image;
    // the copy taken here is what Undo then brings back.
    undoAvailable = true;
}

bool CEditBmp::undo()
{
    if (!undoAvailable || !m_UndoValid)
        return false;
    const int oldWidth = Width, oldHeight = Height;
    undoAvailable = false;
    if (m_Undo.Width == Width && m_Undo.Height == Height && m_Undo.BitsPerPixel == BitsPerPixel && Lines) {
        // Same shape: copy the rows over in place, nothing to allocate that could fail.
        const size_t stride = static_cast<size_t>(BytesPerLine());
        for (int y = 0; y < Height; ++y)
            std::memcpy(Lines[y], m_Undo.Lines[y], stride);
        if (BitsPerPixel <= 8)
            SetPalette(m_Undo.Palette);
        HasAlpha = m_Undo.HasAlpha;
        return false;
    }
    CopyFrom(m_Undo, m_Undo.BitsPerPixel);
    return Width != oldWidth || Height != oldHeight;
}

void CEditBmp::finish()
{
    undoAvailable = true;
    modified = true;
}
