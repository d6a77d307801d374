#include "documents/Windows1252.h"

#include <QChar>
#include <algorithm>

namespace {

// The characters of the bytes 0x80..0x9F; 0 where a byte has none. The other bytes are the
// code points of the same value.
constexpr std::array<char16_t, 32> High = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

int Windows1252::byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    const auto at = std::find(High.begin(), High.end(), c);
    return at != High.end() ? static_cast<int>(0x80 + (at - High.begin())) : -1;
}

QByteArray Windows1252::nonAsciiForm(const QString& text)
{
    QByteArray bytes;
    bool ascii = true;
    for (const QChar c : text) {
        const int b = byteOf(c.unicode());
        if (b < 0)
            return {};
        ascii = ascii && b < 0x80;
        bytes.append(static_cast<char>(b));
    }
    return ascii ? QByteArray() : bytes;
}

const std::array<unsigned char, 256>& Windows1252::lowerCase()
{
    // Built from Qt's Unicode tables, as the folding of UTF-8 text is.
    static const std::array<unsigned char, 256> table = [] {
        std::array<unsigned char, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const char16_t c = b >= 0x80 && b < 0xA0 ? High[static_cast<size_t>(b - 0x80)] : static_cast<char16_t>(b);
            const int lower = c != 0 ? byteOf(QChar(c).toLower().unicode()) : -1;
            t[static_cast<size_t>(b)] = static_cast<unsigned char>(lower >= 0 ? lower : b);
        }
        return t;
    }();
    return table;
}
