#include "cli/Convert.h"

#include "cli/PamWriter.h"
#include "base/FileName.h"
#include "formats/AutoDecoder.h"
#include "ops/OperationTable.h"
#include "platform/SafeFile.h"
#include "save/SaveImage.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <cstring>
#include <memory>
#include <new>

namespace {

int Fail(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "oculane-cli: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "oculane-cli: %s\n", message.c_str());
    return 2;
}

// The writing options, named after the fields of the options dialogs, and the
// dialogs (formats) each belongs to.
struct SaveFlag {
    const char* Name;
    bool TakesValue;
    std::initializer_list<SaveDialog> Formats;
};

const SaveFlag kSaveFlags[] = {
    {"quality", true, {SaveDialog::Jpeg}},
    {"smoothing", true, {SaveDialog::Jpeg}},
    {"optimize-huffman", false, {SaveDialog::Jpeg}},
    {"progressive", false, {SaveDialog::Jpeg}},
    {"interlace", false, {SaveDialog::Png, SaveDialog::Gif}},
    {"rle", false, {SaveDialog::Tga, SaveDialog::Ras, SaveDialog::Pict}},
    {"compression", true, {SaveDialog::Tiff}},
    {"dxt", true, {SaveDialog::Dds}},
    {"mipmaps", false, {SaveDialog::Dds}},
    {"flip", false, {SaveDialog::Dds}},
    {"depth", true, {SaveDialog::Bmp, SaveDialog::Pcx, SaveDialog::Ras, SaveDialog::Tga}},
};

const SaveFlag* FindSaveFlag(const std::string& name)
{
    for (const SaveFlag& flag : kSaveFlags)
        if (name == flag.Name)
            return &flag;
    return nullptr;
}

bool ReadNumber(const std::string& text, int low, int high, int& value)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::stoi(text);
    return value >= low && value <= high;
}

// Applies one writing option to options; an error text when it is not one
// or does not fit the format.
std::string ApplySaveFlag(const SaveFlag& flag, const std::string& value, const SaveFormatRow* format,
                          SaveOptions& options)
{
    const std::string name = std::string("--") + flag.Name;
    const bool fits = format && std::find(flag.Formats.begin(), flag.Formats.end(), format->Dialog) !=
                                    flag.Formats.end();
    if (!fits)
        return name + " does not apply to " + (format ? std::string(".") + format->Extension : "PAM") + " files";
    if (flag.TakesValue == value.empty())
        return name + (flag.TakesValue ? " needs a value (" + name + "=...)" : " takes no value");
    const std::string f = flag.Name;
    int number = 0;
    if (f == "quality" || f == "smoothing") {
        if (!ReadNumber(value, 0, 100, number))
            return name + " takes 0 to 100";
        (f == "quality" ? options.JpegQuality : options.JpegSmoothing) = number;
    } else if (f == "optimize-huffman") {
        options.JpegOptimizeHuffman = true;
    } else if (f == "progressive") {
        options.JpegProgressive = true;
    } else if (f == "interlace") {
        options.Interlaced = true;
    } else if (f == "rle") {
        options.Rle = true;
    } else if (f == "compression") {
        const char* names[] = {"none", "packbits", "lzw"};
        const auto found = std::find(std::begin(names), std::end(names), value);
        if (found == std::end(names))
            return name + " takes none, packbits or lzw";
        options.TiffCompression = static_cast<int>(found - std::begin(names));
    } else if (f == "dxt") {
        if (value != "1" && value != "3" && value != "5")
            return name + " takes 1, 3 or 5";
        options.DdsFormat = value == "1" ? 2 : value == "3" ? 4 : 6;
    } else if (f == "mipmaps") {
        options.DdsMipMaps = true;
    } else if (f == "flip") {
        options.DdsFlip = true;
    } else if (f == "depth") {
        const bool tga = format->Dialog == SaveDialog::Tga;
        if (value != "8" && value != "24" && !(tga && value == "32"))
            return name + (tga ? " takes 8, 24 or 32" : " takes 8 or 24");
        options.Depth = std::stoi(value);
    }
    return {};
}

} // namespace

int RunConvert(const std::vector<std::string>& args)
{
    const std::string& in = args[0];
    const std::string& out = args[1];
    const bool toStandardOutput = out == "-";
    const std::string extension = Extension(FileNamePart(out));
    const bool toPam = toStandardOutput || EqualsNoCase(extension, "pam");
    const SaveFormatRow* format = toPam ? nullptr : SaveFormatOfExtension(extension);
    const FormatInfo* writer = format ? FindFormat(format->Format) : nullptr;
    if (!toPam && (!writer || !writer->Write))
        return Usage(out + ": " +
                     (extension.empty() ? std::string("no extension to choose the format by")
                                        : "cannot write ." + extension + " files") +
                     " (see oculane-cli formats)");

    // The options of a fresh settings record, the depth from the image (a
    // decoded image is 32-bit), then what the command line says; every
    // operation and option is checked before anything is read.
    SaveOptions options;
    if (format)
        options = MakeSaveOptions(format->Code, CSettings(), 32, true);
    std::vector<BoundOperation> operations;
    std::vector<const OperationRow*> rows;
    std::vector<std::string> operationArgs;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const size_t equals = arg.find('=');
        const SaveFlag* flag = arg.rfind("--", 0) == 0
                                   ? FindSaveFlag(arg.substr(2, equals == std::string::npos ? std::string::npos
                                                                                            : equals - 2))
                                   : nullptr;
        if (flag) {
            const std::string error = ApplySaveFlag(
                *flag, equals == std::string::npos ? std::string() : arg.substr(equals + 1), format, options);
            if (!error.empty())
                return Usage(error);
            continue;
        }
        BoundOperation operation;
        std::string error;
        const OperationRow* row = ParseOperation(arg, operation, error);
        if (!row)
            return Usage(error + " (try oculane-cli ops)");
        operations.push_back(std::move(operation));
        rows.push_back(row);
        operationArgs.push_back(arg);
    }

    CEditBmp document;
    CAutoDecoder decoder;
    try {
        auto bitmap = std::make_unique<CWinBmp>();
        decoder.DecodeFile(in, *bitmap, 32);
        document.reset(std::move(bitmap), in, false);
    } catch (const CTextException& e) {
        return Fail(in, "error " + std::to_string(e.GetCode()) + ": " + e.GetText());
    } catch (const std::bad_alloc&) {
        return Fail(in, "error " + std::to_string(ErrNoMemory) + ": Out of memory.");
    }
    for (const std::string& notice : decoder.GetNotices())
        std::fprintf(stderr, "%s: %s\n", in.c_str(), notice.c_str());

    for (size_t i = 0; i < operations.size(); ++i) {
        try {
            operations[i](document);
        } catch (const CTextException& e) {
            return Fail(in, operationArgs[i] + ": " + rows[i]->ErrorText + ": " + e.GetText());
        } catch (const std::bad_alloc&) {
            return Fail(in, operationArgs[i] + ": " + rows[i]->ErrorText + ": Out of memory.");
        }
    }

    if (toStandardOutput) {
        if (!WritePam(document.image(), nullptr, stdout) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "oculane-cli: writing to standard output failed\n");
            return 1;
        }
        return 0;
    }
    if (writer) {
        // Written beside the target and renamed over it: a failure leaves the old file.
        try {
            writer->Write(document.image(), out, options);
        } catch (const CTextException& e) {
            return Fail(out, "error " + std::to_string(e.GetCode()) + ": " + e.GetText());
        } catch (const std::bad_alloc&) {
            return Fail(out, "error " + std::to_string(ErrNoMemory) + ": Out of memory.");
        }
        return 0;
    }
    CSafeFileWriter file;
    if (!file.Open(out) || !WritePam(document.image(), &file, nullptr) || !file.Commit()) {
        const int error = file.Error();
        return Fail(out, std::string("cannot write") + (error ? std::string(": ") + std::strerror(error) : ""));
    }
    return 0;
}

int RunOps()
{
    for (const OperationRow& row : OperationTable())
        std::printf("%s\t%s\n", OperationSynopsis(row).c_str(), row.Help);
    return 0;
}
