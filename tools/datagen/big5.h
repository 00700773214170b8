#pragma once
#include <iconv.h>
#include <string>

namespace datagen {

// UTF-8 text of the generator's sources to Big5, as the game's fonts index it.
class Big5Encoder {
public:
    Big5Encoder();
    ~Big5Encoder();
    Big5Encoder(const Big5Encoder&) = delete;
    Big5Encoder& operator=(const Big5Encoder&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // False when a character has no Big5 code.
    bool Encode(const char* utf8, std::string& big5);

private:
    iconv_t m_cd;
};

} // namespace datagen
