#include "documents/PlainText.h"

std::optional<QString> PlainText::decode(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes);
}
