#include "base/FileUri.h"
#include "base/Md5.h"

#include <gtest/gtest.h>

TEST(Md5, Rfc1321Vectors)
{
    const struct {
        const char* Text;
        const char* Digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CMd5::HexOf(c.Text), c.Digest) << '"' << c.Text << '"';
}

TEST(Md5, PiecesGiveTheDigestOfTheWhole)
{
    const std::string text(1000, 'x');
    CMd5 md5;
    for (size_t at = 0; at < text.size(); at += 37)
        md5.Update(text.data() + at, std::min<size_t>(37, text.size() - at));
    uint8_t digest[16];
    md5.Final(digest);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : digest)
        hex += std::string{kHex[b >> 4], kHex[b & 15]};
    EXPECT_EQ(hex, CMd5::HexOf(text));
}

TEST(FileUri, EscapesWhatAUriCannotHold)
{
    const struct {
        const char* Path;
        const char* Uri;
    } cases[] = {
        {"/home/jens/photos/a.jpg", "file:///home/jens/photos/a.jpg"},
        {"/tmp/My Photo #1.jpg", "file:///tmp/My%20Photo%20%231.jpg"},
        {"/tmp/100%;x?.png", "file:///tmp/100%25%3Bx%3F.png"},
        {"/tmp/(a)&b=c,d+e~f!g'h*i$j@k:l", "file:///tmp/(a)&b=c,d+e~f!g'h*i$j@k:l"},
        {"/tmp/\xc3\xa4.jpg", "file:///tmp/%C3%A4.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileUri(c.Path), c.Uri);
}
