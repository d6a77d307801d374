#pragma once

#include <QByteArray>
#include <QString>
#include <array>

// Windows-1252, the single-byte character set of older Western European text files: ASCII,
// the Latin-1 letters and signs at their code points, and a few more (€, Š, Œ, typographic
// quotes and dashes) in 0x80..0x9F.
class Windows1252
{
public:
    // The byte of a character, or -1 when it has none.
    static int byteOf(char16_t c);

    // `text` in Windows-1252, when every character has a byte there and the bytes differ
    // from the UTF-8 ones (the text is not pure ASCII); otherwise empty.
    static QByteArray nonAsciiForm(const QString& text);

    // Lower-case partner of each byte, or the byte itself: the ASCII letters, À..Þ but ×,
    // and Š, Œ, Ž, Ÿ. ß and µ have no partner here.
    static const std::array<unsigned char, 256>& lowerCase();
};
