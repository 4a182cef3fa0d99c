#pragma once
#include <QByteArray>
#include <QString>

// Windows-1251 (Cyrillic) to Unicode, for settings files written by Windows tools.
QString DecodeCp1251(const QByteArray& bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(const QByteArray& bytes);

// How a text file's bytes stand for text, kept so that a rewrite gives back what a reader expects.
enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE };
struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};
// A file with a UTF-16 byte-order mark is UTF-16. Otherwise (a UTF-8 mark is dropped) each line
// is UTF-8, or Windows-1251 when that line is not valid UTF-8: one line edited with a Windows
// tool does not turn a whole UTF-8 file into mojibake.
DecodedText DecodeTextFile(const QByteArray& raw);
// The text in the encoding, with the byte-order mark it had.
QByteArray EncodeTextFile(const QString& text, TextEncoding encoding);
