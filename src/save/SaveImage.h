// SaveImage: the one way an image leaves the program. Save, Save As, the
// "save your changes" question and Convert all come through here; the format
// is chosen by its save code (or the extension of the name), the options come
// from the settings (after the format's options dialog, when one is shown),
// and the bitmap goes to the writer the format table holds for it.
#pragma once

#include "formats/FormatTable.h"
#include "save/SaveOptions.h"

#include <span>
#include <string>
#include <string_view>

class CBmp;
class CSettings;

// The options dialog a format has (two formats share most layouts).
enum class SaveDialog { None, Jpeg, Png, Gif, Tiff, Tga, Ras, Pcx, Bmp, Pict, Dds };

// Save codes as the settings and the convert list know them.
enum SaveCode {
    kSaveBmp = 0,
    kSaveGif = 3,
    kSaveIff = 4,
    kSaveJpeg = 6,
    kSavePcx = 9,
    kSavePgm = 10,
    kSavePict = 11,
    kSavePng = 12,
    kSavePpm = 13,
    kSaveRas = 14,
    kSaveTga = 16,
    kSaveTiff = 17,
    kSaveDds = 21,
};

struct SaveFormatRow {
    int Code;
    const char* Extension;    // lower case, without the dot
    const char* Description;  // "Windows Bitmap": the Save As filter and the convert list name it so
    ImageFormat Format;       // the format table row whose writer writes it
    SaveDialog Dialog;
    bool Listed;              // in the Save As filter and the convert list
};

// The writable formats in the order of the Save As filter and the convert
// list (a listed row's index is its convert index); unlisted rows last.
std::span<const SaveFormatRow> SaveFormats();
const SaveFormatRow* FindSaveFormat(int code);
// The row of an extension (with or without its dot), without regard to case;
// "jpeg" and "tiff" name their formats too. nullptr when none.
const SaveFormatRow* SaveFormatOfExtension(std::string_view extension);
// "Windows Bitmap (*.bmp)" and "Windows Bitmap (BMP)".
std::string SaveFilterText(const SaveFormatRow& row);
std::string ConvertListText(const SaveFormatRow& row);
// path with its extension replaced by `extension`, in upper or lower case.
std::string WithExtensionCase(const std::string& path, bool upperCase);

// The options a write uses: the remembered values of the settings, with the
// depth from the image (useImageDepth) or from the remembered index.
SaveOptions MakeSaveOptions(int code, const CSettings& settings, int bitsPerPixel, bool useImageDepth);

// What SaveImage needs from the window: the options dialog, the status text,
// the wait cursor and the messages. Tests and the command line give their own.
class ISaveFeedback {
public:
    virtual ~ISaveFeedback() = default;
    // Shows the format's options dialog filled from the settings; on OK stores
    // its values there and returns true, on Cancel changes nothing.
    virtual bool ShowOptions(const SaveFormatRow& format, CSettings& settings) = 0;
    virtual void Status(const std::string& text) = 0;
    // Around the writer: the wait cursor.
    virtual void BeginWrite() {}
    virtual void EndWrite() {}
    virtual void Message(const std::string& text) = 0;
};

// Texts of the dispatch.
extern const char* const kSavingText;      // "  Saving image..."
extern const char* const kSaveDoneText;    // "  Done"
extern const char* const kCantSaveText;    // "Can't save file."

// Writes bitmap to path as the format of `code`. showOptions: the format's
// dialog first (Cancel ends with false, nothing written, no message).
// keepImageDepth: without a dialog, the depth comes from the image rather than
// the remembered index. A code nobody can write is a message and false, never
// a quiet success; a writer's failure is "Can't save file." and false, with
// the previous file left as it was.
bool SaveImage(const std::string& path, int code, bool showOptions, bool keepImageDepth, const CBmp& bitmap,
               CSettings& settings, ISaveFeedback& feedback);
// The message for a name whose extension names no writable format.
std::string NoWriterText(const std::string& path);
