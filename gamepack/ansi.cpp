#include "gamepack/ansi.h"

namespace {

// Unicode values of the bytes 0x80..0x9F; the rest of Windows-1252 equals Latin-1.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

QString FromAnsi(const std::string& bytes) {
    // Written in place, not appended a character at a time: the screens convert the
    // level's texts every frame.
    QString s(qsizetype(bytes.size()), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(s.data());
    for (char c : bytes) {
        unsigned char b = static_cast<unsigned char>(c);
        *out++ = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b);
    }
    return s;
}

bool ToAnsi(const QString& text, std::string& out) {
    std::string result;
    result.reserve(size_t(text.size()));
    for (QChar qc : text) {
        char16_t u = qc.unicode();
        int byte = -1;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            byte = u;
        } else {
            for (int i = 0; i < 32; ++i)
                if (kHigh[i] == u) { byte = 0x80 + i; break; }
        }
        if (byte < 0) return false;  // includes both halves of a surrogate pair
        result.push_back(char(byte));
    }
    out = std::move(result);
    return true;
}
