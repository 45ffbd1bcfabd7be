#include "base/FileUri.h"

#include <cstring>

std::string FileUri(const std::string& absolutePath)
{
    static const char kHex[] = "0123456789ABCDEF";
    static const char kKept[] = "-_.!~*'()/&=:@+$,";
    std::string uri = "file://";
    uri.reserve(uri.size() + absolutePath.size() * 3 / 2);
    for (const char ch : absolutePath) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || (byte != 0 && std::strchr(kKept, ch));
        if (kept) {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 15];
        }
    }
    return uri;
}
