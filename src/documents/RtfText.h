#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The text of an RTF document: control words and groups that hold no text dropped.
class RtfText
{
public:
    static std::optional<QString> extract(const QByteArray& bytes);
};
