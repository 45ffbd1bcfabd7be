#include "ops/EditBmp.h"

#include "base/TextException.h"
#include "ops/NewImage.h"

#include <utility>

CEditBmp::CEditBmp() : m_Image(std::make_unique<CWinBmp>()), m_Undo(std::make_unique<CWinBmp>()) {}

CEditBmp::~CEditBmp() = default;

void CEditBmp::reset(std::unique_ptr<CWinBmp> image, std::string path, bool modified)
{
    // The old image and its copies go first, before anything else is made.
    m_Image = image ? std::move(image) : std::make_unique<CWinBmp>();
    m_Undo = std::make_unique<CWinBmp>();
    m_Result.reset();
    m_Path = std::move(path);
    m_Modified = modified;
    m_UndoAvailable = false;
}

void CEditBmp::clear()
{
    reset(nullptr, std::string(), false);
}

void CEditBmp::saveUndo()
{
    // While the copy is being made it holds nothing usable; should it fail,
    // no Undo may offer it.
    m_UndoAvailable = false;
    m_Undo->CopyFrom(*m_Image, m_Image->BitsPerPixel);
    m_UndoAvailable = true;
}

void CEditBmp::finish()
{
    m_UndoAvailable = true;
    m_Modified = true;
}

CWinBmp& CEditBmp::result()
{
    if (!m_Result)
        m_Result = std::make_unique<CWinBmp>();
    return *m_Result;
}

void CEditBmp::commit()
{
    if (!m_Result)
        return;
    // image <- result, undo <- image, and the old undo copy is the next result buffer.
    std::swap(m_Undo, m_Image);
    std::swap(m_Image, m_Result);
    finish();
}

bool CEditBmp::undo()
{
    if (!m_UndoAvailable)
        return false;
    const int oldWidth = m_Image->Width, oldHeight = m_Image->Height;
    std::swap(m_Image, m_Undo);
    m_UndoAvailable = false;
    return m_Image->Width != oldWidth || m_Image->Height != oldHeight;
}

CWinBmp& CEditBmp::prepareResult(int64_t width, int64_t height)
{
    const CWinBmp& source = *m_Image;
    if (source.BitsPerPixel != 32 || !source.Bits)
        throw CTextException(ErrUnsupported, "The operation needs a 32-bit image.");
    CheckNewImageSize(width, height);
    CWinBmp& target = result();
    if (target.Width != width || target.Height != height || target.BitsPerPixel != 32 || !target.Bits)
        CreateNewImage(target, width, height, source.HasAlpha);
    target.HasAlpha = source.HasAlpha;
    target.SourceBitsPerPixel = source.SourceBitsPerPixel;
    return target;
}
