#include "users/PasswordGenerator.h"

#include <QList>
#include <array>
#include <string>

namespace {

std::mt19937 seededFromDevice()
{
    std::random_device device;
    std::array<std::uint32_t, 8> words{};
    for (std::uint32_t& word : words)
        word = device();
    std::seed_seq sequence(words.begin(), words.end());
    return std::mt19937(sequence);
}

} // namespace

PasswordGenerator::PasswordGenerator() : m_engine(seededFromDevice()) {}

PasswordGenerator::PasswordGenerator(std::uint32_t seed) : m_engine(seed) {}

int PasswordGenerator::draw(int count)
{
    return std::uniform_int_distribution<int>(1, count)(m_engine);
}

QString PasswordGenerator::generate(const QString& lastName)
{
    // Work in whole characters, so that a letter outside the basic plane is never split.
    std::u32string password;
    for (const QChar digit : QString::number(draw(LargestNumber)))
        password.push_back(digit.unicode());

    const QList<uint> letters = lastName.toUcs4();
    if (!letters.isEmpty()) {
        const int insertions = draw(static_cast<int>(password.size()));
        for (int i = 0; i < insertions; ++i) {
            const auto letter = static_cast<char32_t>(letters.at(draw(static_cast<int>(letters.size())) - 1));
            // Right after the q-th character: never in front of the first digit.
            const int after = draw(static_cast<int>(password.size()));
            password.insert(static_cast<std::size_t>(after), 1, letter);
        }
    }
    return QString::fromUcs4(password.data(), static_cast<qsizetype>(password.size()));
}
