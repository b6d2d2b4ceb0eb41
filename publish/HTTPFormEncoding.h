#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The hexadecimal and form-encoding helpers of the form client. Stateless;
// any thread (RandomHexChar draws from rand()).

// One of "0123456789abcdef", chosen by rand() modulo 16.
char RandomHexChar();

// Two upper-case hex digits of byte and a terminating NUL.
void ByteToHex(unsigned char byte, char out[3]);
// The byte written by two upper-case hex digits; false for any other
// character, lower-case digits included.
bool HexToByte(const char twoChars[2], unsigned char& out);

// out becomes the upper-case hex digits of the bytes.
void BytesToHex(const unsigned char* data, size_t length, std::string& out);
// Decodes count bytes from 2 x count upper-case hex digits; false at the
// first bad pair or when hex is shorter than that.
bool HexToBytes(std::string_view hex, unsigned char* out, size_t count);

// Form encoding of a name or value: '0'-'9', 'a'-'z', 'A'-'Z', '*', '-', '.',
// '@' and '_' are copied, a space becomes '+', every other byte '%' and two
// upper-case hex digits.
std::string UrlEncodeForm(std::string_view text);
