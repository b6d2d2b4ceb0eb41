#pragma once

#include "platform/ColorRef.h"

#include <QFontMetrics>
#include <QSize>
#include <QString>

#include <string>
#include <string_view>

class CMyBitmap;
class CProfileFile;

// Small helpers every theme reader and skinned control shares. Stateless; any
// thread except where a helper draws or loads an image (GUI thread).

// --- 8-bit GBK text: a byte above 0x80 starts a two-byte character ---

// Appends the character to out: a value below 256 as one byte (result 1), a
// larger one as two bytes, high byte first (result 2). A null out writes
// nothing and gives 0.
int AppendMbChar(std::string* out, int character);

// The text without leading and trailing blanks, tabs and line breaks.
std::string TrimSpaces(std::string_view text);

// Takes the next token of source into token and returns what follows it.
// Separators before the token are skipped; a single-byte character found in
// separators (null: blank, tab and newline) ends the token and is consumed; the
// end of the text ends it. A two-byte GBK character is taken whole and never
// ends a token; a lead byte that is the last byte ends the text. The token is
// trimmed with TrimSpaces.
std::string_view SplitToken(std::string_view source, std::string* token,
                            const char* separators = nullptr);

// Shortens text in place with an end ellipsis so that it fits width pixels on
// one line in the font of metrics, and returns the size of the result.
QSize FitTextWithEllipsis(QString& text, const QFontMetrics& metrics, int width);

// --- paths: both "\" and "/" separate folders, as in theme values ---

// The path up to and including its last separator; empty when there is none.
QString GetPathDirectory(const QString& path);
// The part after the last separator (the whole path when there is none); when
// keepExtension is false, cut at the first "." of that part.
QString GetPathFileName(const QString& path, bool keepExtension);

// --- colours ---

// Reads "R G B" (decimal, blank-separated; each number keeps its low 8 bits;
// a missing number counts 0) from the theme file; def when the key is absent
// or empty.
ColorRef ReadProfileColor(const QString& section, const QString& key, const QString& themePath,
                          ColorRef def);
// The same from a theme already read, for loaders that read many keys.
ColorRef ReadProfileColor(const CProfileFile& theme, const QString& section, const QString& key,
                          ColorRef def);
// Each component times factor, truncated; factor held to 0..1, 1 when NaN.
ColorRef ScaleColorDown(ColorRef colour, float factor);
// Each component times factor, truncated and capped at 255; a factor of 1 or
// less (or NaN) leaves the colour as it is.
ColorRef ScaleColorUp(ColorRef colour, float factor);

// --- theme images ---

// Where an image value of a theme is looked for: only the value's file-name
// part counts, in the folder of the theme file. A theme path without a folder
// means the theme's own (the current) folder, never the root.
QString ThemeImagePath(const QString& themePath, const QString& value);

// Reads the image value of section/key and loads it into bitmap (whatever it
// held is dropped first) with a black background. False when the value is
// absent or empty (bitmap untouched) or the image is unreadable (bitmap empty).
bool LoadThemeImage(CMyBitmap& bitmap, const QString& section, const QString& key,
                    const QString& themePath);
