#pragma once
// Texts in gamepacks and in the stored records are single-byte Windows-1252 strings;
// these two functions are the edge where they become QString and back.

#include <QString>
#include <string>

// Every byte maps to a character; the five bytes Windows-1252 leaves undefined (0x81,
// 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same value, as Windows does.
QString FromAnsi(const std::string& bytes);

// False, leaving `out` unchanged, when the text holds a character Windows-1252 cannot
// hold; nothing is replaced or dropped silently.
bool ToAnsi(const QString& text, std::string& out);
