#include "users/UserNameRule.h"

namespace {

// The first character of `text` as the user sees it; a character outside the basic
// plane is two code units and must not be cut in half.
QString initial(const QString& text)
{
    if (text.isEmpty())
        return {};
    const qsizetype length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    return text.left(length);
}

} // namespace

QString UserNameRule::generate(const QString& firstName, const QString& middleName, const QString& lastName)
{
    return initial(firstName) + initial(middleName) + lastName;
}
