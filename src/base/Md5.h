// MD5 message digest, for names that other programs compute the same way
// (the shared thumbnail cache). Not for anything that needs to be secure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CMd5 {
public:
    CMd5();
    void Update(const void* data, size_t size);
    // Ends the message; the object must be reset (assigned anew) before reuse.
    void Final(uint8_t digest[16]);

    // The digest of text as 32 lowercase hex digits.
    static std::string HexOf(std::string_view text);

private:
    void Block(const uint8_t* block);

    uint32_t m_State[4];
    uint64_t m_Length = 0;  // bytes so far
    uint8_t m_Buffer[64];
    size_t m_Used = 0;
};
