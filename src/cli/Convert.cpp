#include "cli/Convert.h"

#include "cli/PamWriter.h"
#include "base/FileName.h"
#include "formats/AutoDecoder.h"
#include "ops/OperationTable.h"
#include "platform/SafeFile.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace {

int Fail(const std::string& path, const std::string& reason)
{
    std::fprintf(stderr, "oculane-cli: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

} // namespace

int RunConvert(const std::vector<std::string>& args)
{
    const std::string& in = args[0];
    const std::string& out = args[1];
    // Every operation is checked before anything is read.
    std::vector<BoundOperation> operations;
    std::vector<const OperationRow*> rows;
    for (size_t i = 2; i < args.size(); ++i) {
        BoundOperation operation;
        std::string error;
        const OperationRow* row = ParseOperation(args[i], operation, error);
        if (!row) {
            std::fprintf(stderr, "oculane-cli: %s (try oculane-cli ops)\n", error.c_str());
            return 2;
        }
        operations.push_back(std::move(operation));
        rows.push_back(row);
    }
    const bool toStandardOutput = out == "-";
    const std::string extension = Extension(out);
    if (!toStandardOutput && !EqualsNoCase(extension, "pam")) {
        std::fprintf(stderr, "oculane-cli: %s: %s\n", out.c_str(),
                     extension.empty() ? "no extension to choose the format by (only .pam can be written)"
                                       : ("cannot write ." + extension + " files (only .pam can be written)").c_str());
        return 2;
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
            return Fail(in, args[i + 2] + ": " + rows[i]->ErrorText + ": " + e.GetText());
        } catch (const std::bad_alloc&) {
            return Fail(in, args[i + 2] + ": " + rows[i]->ErrorText + ": Out of memory.");
        }
    }

    if (toStandardOutput) {
        if (!WritePam(document.image(), nullptr, stdout) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "oculane-cli: writing to standard output failed\n");
            return 1;
        }
        return 0;
    }
    CSafeFileWriter writer;
    if (!writer.Open(out) || !WritePam(document.image(), &writer, nullptr) || !writer.Commit()) {
        const int error = writer.Error();
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
