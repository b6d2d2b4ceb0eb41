#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

// Conversions between the program's text and the GBK bytes (code page 936)
// that some file formats and the ring service's requests carry, URL coding and
// two XML utilities. GBK appears only at those edges; inside the programs text
// is QString. Stateless; any thread.
//
// Where input is not valid in its encoding (a bad or truncated sequence) or a
// character has no place in the target encoding, the converters write one '?'
// for it and go on; they never read past the given length.

// Converts UTF-16LE bytes (a Windows Media header field, for example) to GBK.
// byteCount / 2 units are read; an odd last byte is ignored. NUL units are
// converted like any other. A character GBK cannot hold and an unpaired
// surrogate each become '?'. out is replaced.
void WideToGbk(std::string& out, const void* utf16le, size_t byteCount);
// The same for program text.
void WideToGbk(std::string& out, const QString& text);

// Decodes GBK bytes for display. Where the bytes are not valid GBK (a lone
// lead byte, a bad trail byte), each such byte is taken as Latin-1, so text
// from other tools still shows. Decodes every byte given, NULs included.
QString GbkToQString(QByteArrayView bytes);

// Converts UTF-8 bytes (a service reply) to GBK. Decodes standard UTF-8 of any
// sequence length; an ill-formed sequence (overlong, surrogate, stray
// continuation byte, cut off by the end) becomes one '?' per maximal ill-formed
// part, and a character GBK cannot hold one '?'. out is replaced.
void Utf8ToGbk(std::string& out, const char* text, size_t length);

// Converts GBK bytes to standard UTF-8 and appends them to out. A byte that
// starts no GBK character, a pair GBK does not map, and a lead byte cut off by
// the end each become one '?'.
void GbkToUtf8(std::string& out, const char* text, size_t length);

// URL encoding of every byte: ASCII letters and digits are copied, white space
// (space, tab, CR, LF, VT, FF) becomes '+', any other byte '%' and two
// upper-case hex digits. (The form client has its own rule.)
std::string UrlEncode(std::string_view text);
// GBK text converted to UTF-8, then encoded as UrlEncode does.
std::string UrlEncodeUtf8(std::string_view gbkText);

// '%' with two hex digits (either case) becomes that byte, '+' a space; a '%'
// not followed by two hex digits is copied as it stands, like any other byte.
std::string UrlDecode(std::string_view text);
// UrlDecode, then the UTF-8 result converted to GBK.
std::string UrlDecodeUtf8(std::string_view text);

// 0-15 for a hex digit of either case, 255 for any other character.
unsigned char HexDigitValue(char c);
// first * 16 + second in 8 bits, from two hex digits.
unsigned char HexPairToByte(char first, char second);

// The encoding family of an XML document by its first bytes, after the XML
// autodetection table: 0 UTF-16BE mark, 1 UTF-16LE mark, 3 UTF-8 mark,
// 4-7 UCS-4 byte orders of '<', 8 UTF-16BE "<?", 9 UTF-16LE "<?", 10 EBCDIC;
// -1 when none matches or the bytes are too few. 2 is never returned.
int DetectXmlEncoding(const void* bytes, size_t length);

// Copies text to out with '"', '&', '\'', '<' and '>' replaced by their XML
// entities. out is replaced.
void XmlEscape(std::string& out, const char* text, size_t length);

// The index of the first c at or after start; -1 when start is negative or
// not below the length, or when c does not occur there.
int FindCharFrom(std::string_view text, char c, int start);
int FindCharFrom(const QString& text, QChar c, int start);
