#include "tools/datagen/big5.h"

namespace datagen {

Big5Encoder::Big5Encoder() : m_cd(iconv_open("BIG5", "UTF-8")) {}

Big5Encoder::~Big5Encoder() {
    if (Ok()) iconv_close(m_cd);
}

bool Big5Encoder::Encode(const char* utf8, std::string& big5) {
    std::string in = utf8;
    big5.assign(in.size() * 2 + 4, '\0');
    char* ip = in.data();
    size_t il = in.size();
    char* op = big5.data();
    size_t ol = big5.size();
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(m_cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0) return false;
    big5.resize(big5.size() - ol);
    return true;
}

} // namespace datagen
