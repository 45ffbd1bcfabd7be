// CTextException: the one exception of decoders and writers, a code and a text.
#pragma once

#include <exception>
#include <string>

// Codes carried by CTextException.
enum DecoderErrorCode {
    ErrWrongSignature = 1,
    ErrFormat = 2,
    ErrPathNotFound = 3,
    ErrFileNotFound = 4,
    ErrAccessDenied = 5,
    ErrUnsupported = 6,
    ErrInternal = 7,
    ErrUnknownFileType = 8,
    ErrNoMemory = 10,
    ErrAbandoned = 11,
    ErrWriteFailure = 12,
};

class CTextException : public std::exception {
public:
    CTextException(int code, std::string text) : m_Code(code), m_Text(std::move(text)) {}

    int GetCode() const { return m_Code; }
    const std::string& GetText() const { return m_Text; }
    const char* what() const noexcept override { return m_Text.c_str(); }

private:
    int m_Code;
    std::string m_Text;
};
