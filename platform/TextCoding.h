#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <string>

// Conversions between the program's text and the GBK bytes (code page 936)
// that some file formats carry. GBK appears only at those edges; inside the
// programs text is QString. Stateless; any thread.

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
