#pragma once

#include <QString>
#include <cstdint>
#include <random>

// Proposes a password: a number from 1 to 9000 with, when there is a last name, one to
// as many letters of it as the number has digits inserted after randomly chosen positions
// ("4M21e"). The result therefore never starts with a letter and has at most eight
// characters. Every draw is independent of the previous one.
class PasswordGenerator
{
public:
    static constexpr int LargestNumber = 9000;

    // Seeded from the operating system's entropy source.
    PasswordGenerator();
    // A fixed seed, for a reproducible sequence.
    explicit PasswordGenerator(std::uint32_t seed);

    QString generate(const QString& lastName);

private:
    // A whole number from 1 to `count`, each equally likely.
    int draw(int count);

    std::mt19937 m_engine;
};
