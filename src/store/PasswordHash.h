#pragma once

#include <QString>

// Passwords are kept as Argon2id hashes, never as typed.
class PasswordHash
{
public:
    static QString hash(const QString& password);
    static bool isHash(const QString& stored);
    // True when `typed` is the password behind `stored`. A stored value that is not a
    // hash (a row written by another tool) is compared as plain text, exactly.
    static bool verify(const QString& stored, const QString& typed);
    // True when `stored` is not a hash made with the algorithm and costs new hashes get.
    static bool needsRehash(const QString& stored);
};
