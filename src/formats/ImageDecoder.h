// CImageDecoder: the base of every per-format decoder, and the helpers they
// share: depth choice, error raising, tracing and the pixel-memory cap.
#pragma once

#include "formats/ByteSource.h"
#include "base/TextException.h"
#include "image/Bmp.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The end of a decode its caller no longer wants. A CTextException, so every
// handler that cleans up after a failure cleans up after this too; the bitmap
// is left half-made and is the caller's to drop.
class CDecodeAbandoned : public CTextException {
public:
    CDecodeAbandoned() : CTextException(ErrAbandoned, "Decoding abandoned.") {}
};

[[noreturn]] void RaiseAbandoned();

// Throws CDecodeAbandoned once flag is set; a null flag never stops. Cheap
// enough for once a row, too dear for once a pixel.
inline void CheckAbandoned(const std::atomic<bool>* flag)
{
    if (flag && flag->load(std::memory_order_relaxed))
        RaiseAbandoned();
}

class CImageDecoder {
public:
    CImageDecoder() = default;
    virtual ~CImageDecoder();
    CImageDecoder(const CImageDecoder&) = delete;
    CImageDecoder& operator=(const CImageDecoder&) = delete;

    // Maps the file and decodes it; failures are CTextException.
    void DecodeFile(const std::string& path, CBmp& bitmap, int bitsPerPixel);
    // Decodes a block of memory; name plays the file name (its extension counts).
    void DecodeMemory(const std::string& name, const uint8_t* data, size_t size, CBmp& bitmap, int bitsPerPixel);
    virtual void DecodeSource(CByteSource& source, CBmp& bitmap, int bitsPerPixel);

    // Messages of a decode that succeeded with reservations, for the caller to show.
    const std::vector<std::string>& GetNotices() const { return m_Notices; }

    // A flag another thread may set to stop a decode in progress: the decoder
    // looks at it between rows (or records) and before it allocates the
    // bitmap, and throws CDecodeAbandoned once it is set. The flag must outlive
    // the decodes; null (the default) lets every decode run to its end.
    void SetAbortFlag(const std::atomic<bool>* flag) { m_Abort = flag; }
    const std::atomic<bool>* GetAbortFlag() const { return m_Abort; }

    // An optional request: the caller shows the image no larger than width x
    // height (a thumbnail), so a decoder that can decode smaller for less
    // (JPEG: 1/2, 1/4, 1/8) may deliver an image reduced as far as it still
    // covers the image fitted into that box. 0 x 0, the default, asks for
    // the full size; other formats always deliver it.
    void SetReducedSize(int width, int height)
    {
        m_ReducedWidth = width;
        m_ReducedHeight = height;
    }
    // The size the file gives for the image of the last decode, also when a
    // reduced one was delivered.
    int GetFileWidth() const { return m_FileWidth; }
    int GetFileHeight() const { return m_FileHeight; }

protected:
    // The per-format hook. paletteOut may receive a 256-entry buffer; it is freed
    // when the decode ends, thrown or not.
    virtual void ReadImage(CBmp& bitmap, std::unique_ptr<PaletteEntry[]>& paletteOut, int bitsPerPixel,
                           CByteSource& source);

    // Create with the size checks every decoder needs: positive size within
    // the memory cap, else code 2 or 10 before anything is allocated; an
    // abandoned decode stops here before allocating too.
    void CreateBitmap(CBmp& bitmap, int64_t width, int64_t height, int bitsPerPixel, bool hasAlpha) const;

    // Once a row or record: throws CDecodeAbandoned when the flag is set.
    void CheckAbort() const { CheckAbandoned(m_Abort); }

    void AddNotice(const std::string& text) { m_Notices.push_back(text); }
    // A decoder that delivers a reduced image says what the file holds.
    void SetFileSize(int width, int height)
    {
        m_FileWidth = width;
        m_FileHeight = height;
    }
    int m_ReducedWidth = 0;
    int m_ReducedHeight = 0;
    void ClearNotices() { m_Notices.clear(); }

    std::vector<std::string> m_Notices;

private:
    const std::atomic<bool>* m_Abort = nullptr;
    int m_FileWidth = 0;
    int m_FileHeight = 0;
};

// 0 asks for the file's own class of depth: 8 up to 8 bits, else 32.
int ChooseDepth(int fileBitsPerPixel, int bitsPerPixel);

// Traces "Decoder error: <text>" at level 0 and throws CTextException(code, text).
[[noreturn]] void RaiseDecoderError(int code, const std::string& text);

// Appends text to the trace file when one is set and level is within its level.
void DecoderTrace(int level, const std::string& text);
// Sets the trace file (empty: none) and its level (0 errors … 3 details).
void SetDecoderTrace(const std::string& file, int level);

// Largest pixel block a decoder may allocate: OCULANE_MAX_IMAGE_BYTES, default 4 GiB.
uint64_t MaxImageBytes();
