#include "documents/PlainText.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>

namespace {

// 0x80 to 0x9F of Windows-1252; the rest of the code page is Latin-1. Written out here
// because a Qt built without ICU has no decoder for it.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Whether a character below 0x20 (or an undefined Windows-1252 byte) is one that text has:
// tab, line feed, vertical tab, form feed, carriage return, and the old end-of-file mark and
// escape of terminal logs.
bool isTextControl(uint c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x1B;
}

// Text has few control characters; programs, images and archives have many, and NUL bytes.
// More than one in fifty is taken as not text.
bool tooManyControls(qsizetype controls, qsizetype size)
{
    return controls > 0 && controls * 50 > size;
}

qsizetype controlBytes(QByteArrayView bytes, bool countC1)
{
    qsizetype controls = 0;
    for (char ch : bytes) {
        const auto c = static_cast<uchar>(ch);
        if (c < 0x20)
            controls += isTextControl(c) ? 0 : 1;
        else if (countC1 && (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D))
            ++controls;
    }
    return controls;
}

qsizetype controlChars(const QString& text)
{
    qsizetype controls = 0;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            controls += (c < 0x20 && isTextControl(c)) ? 0 : 1;
    }
    return controls;
}

enum class Utf16Order
{
    None,
    Little,
    Big
};

// UTF-16 without a byte-order mark: text mostly in Latin letters has a zero in every other
// byte, the high byte of each character. Judged from the first 64 KiB.
Utf16Order guessUtf16(QByteArrayView bytes)
{
    const qsizetype pairs = std::min<qsizetype>(bytes.size(), 64 << 10) / 2;
    if (pairs < 2)
        return Utf16Order::None;
    qsizetype zeroEven = 0;
    qsizetype zeroOdd = 0;
    const char* data = bytes.data();
    for (qsizetype i = 0; i < pairs; ++i) {
        zeroEven += data[2 * i] == 0 ? 1 : 0;
        zeroOdd += data[2 * i + 1] == 0 ? 1 : 0;
    }
    if (zeroOdd * 4 >= pairs && zeroEven * 8 <= zeroOdd)
        return Utf16Order::Little;
    if (zeroEven * 4 >= pairs && zeroOdd * 8 <= zeroEven)
        return Utf16Order::Big;
    return Utf16Order::None;
}

std::optional<QString> fromUtf16(QByteArrayView bytes, QStringConverter::Encoding encoding, bool strict)
{
    // A last odd byte is half a character cut off; it is dropped rather than made an error.
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes.first(bytes.size() & ~qsizetype(1)));
    if (strict && decoder.hasError())
        return std::nullopt;
    if (tooManyControls(controlChars(text), text.size()))
        return std::nullopt;
    return text;
}

} // namespace

char16_t PlainText::windows1252(uchar byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte);
}

QString PlainText::fromWindows1252(QByteArrayView bytes)
{
    QString text = QString::fromLatin1(bytes);
    for (QChar& ch : text) {
        const char16_t c = ch.unicode();
        if (c >= 0x80 && c < 0xA0)
            ch = QChar(Cp1252High[c - 0x80]);
    }
    return text;
}

std::optional<QString> PlainText::decode(const QByteArray& bytes)
{
    const QByteArrayView view(bytes);
    if (view.isEmpty())
        return QString();
    if (view.startsWith("\xEF\xBB\xBF")) {
        const QByteArrayView body = view.sliced(3);
        if (!body.isEmpty() &&
            (std::memchr(body.data(), 0, body.size()) || tooManyControls(controlBytes(body, false), body.size())))
            return std::nullopt;
        return QString::fromUtf8(body);
    }
    if (view.startsWith("\xFF\xFE"))
        return fromUtf16(view.sliced(2), QStringConverter::Utf16LE, false);
    if (view.startsWith("\xFE\xFF"))
        return fromUtf16(view.sliced(2), QStringConverter::Utf16BE, false);

    if (std::memchr(view.data(), 0, view.size())) {
        switch (guessUtf16(view)) {
        case Utf16Order::Little:
            return fromUtf16(view, QStringConverter::Utf16LE, true);
        case Utf16Order::Big:
            return fromUtf16(view, QStringConverter::Utf16BE, true);
        case Utf16Order::None:
            return std::nullopt;
        }
    }

    const bool utf8 = view.isValidUtf8();
    if (tooManyControls(controlBytes(view, !utf8), view.size()))
        return std::nullopt;
    return utf8 ? QString::fromUtf8(view) : fromWindows1252(view);
}
