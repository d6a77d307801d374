#include "store/PasswordHash.h"

#include "store/StoreError.h"

#include <QByteArray>
#include <sodium.h>

namespace {

void initialise()
{
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw StoreError(QStringLiteral("The password library could not be initialised"));
}

} // namespace

QString PasswordHash::hash(const QString& password)
{
    initialise();
    const QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, utf8.constData(), static_cast<unsigned long long>(utf8.size()),
                              crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw StoreError(QStringLiteral("Not enough memory to protect the password"));
    return QString::fromLatin1(out);
}

bool PasswordHash::isHash(const QString& stored)
{
    return stored.startsWith(QLatin1String(crypto_pwhash_argon2id_STRPREFIX));
}

bool PasswordHash::verify(const QString& stored, const QString& typed)
{
    if (!isHash(stored))
        return stored == typed;
    initialise();
    const QByteArray hashText = stored.toLatin1();
    const QByteArray utf8 = typed.toUtf8();
    return crypto_pwhash_str_verify(hashText.constData(), utf8.constData(),
                                    static_cast<unsigned long long>(utf8.size())) == 0;
}

bool PasswordHash::needsRehash(const QString& stored)
{
    if (!isHash(stored))
        return true;
    initialise();
    const QByteArray hashText = stored.toLatin1();
    return crypto_pwhash_str_needs_rehash(hashText.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0;
}
