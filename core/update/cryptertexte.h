#pragma once
// The small cipher that keeps the version line out of plain sight in the program.
#include <QString>

// Mode "E" enciphers into upper-case hexadecimal pairs, "D" deciphers; any other mode
// (lower case included) gives an empty text. An empty key gives an empty text too.
// Enciphering starts from a random byte unless one is given (0..255). Texts round-trip for the
// characters 1 to 254 of that code page: the sum is taken modulo 255, so 0 and "ÿ" can come back as each other.
QString CrypterTexte(const QString &mode, const QString &text, const QString &key, int firstByte = -1);
