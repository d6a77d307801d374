#pragma once

// The values of Security.UserLevel the program gives a meaning to. Any other value is treated
// as an ordinary user.
namespace UserLevels {

inline constexpr int Ordinary = 1;
// Sees the Admin menu and the database editor.
inline constexpr int Administrator = 66;
// The account installed with the database: manages users only.
inline constexpr int BuiltIn = 99;

} // namespace UserLevels
