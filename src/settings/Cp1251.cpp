#include "settings/Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// Upper half of Windows-1251; 0x98 is unassigned and maps to U+FFFD.
const char16_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};
}  // namespace

QString DecodeCp1251(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u < 0x80)
            out += QChar(u);
        else if (u < 0xC0)
            out += QChar(kUpperHalf[u - 0x80]);
        else
            out += QChar(0x0410 + (u - 0xC0));  // А..я are contiguous
    }
    return out;
}

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

namespace {
QString DecodeLines(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        const QByteArray line = bytes.mid(start, end - start);
        text += IsValidUtf8(line) ? QString::fromUtf8(line) : DecodeCp1251(line);
        start = end;
    }
    return text;
}
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kUtf16LEBom("\xFF\xFE");
const QByteArray kUtf16BEBom("\xFE\xFF");
}  // namespace

DecodedText DecodeTextFile(const QByteArray& raw) {
    DecodedText d;
    if (raw.startsWith(kUtf16LEBom) || raw.startsWith(kUtf16BEBom)) {
        const bool little = raw.startsWith(kUtf16LEBom);
        d.encoding = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
        QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        d.text = decoder.decode(raw.mid(2));
    } else if (raw.startsWith(kUtf8Bom)) {
        d.encoding = TextEncoding::Utf8Bom;
        d.text = DecodeLines(raw.mid(3));
    } else {
        d.text = DecodeLines(raw);
    }
    return d;
}

QByteArray EncodeTextFile(const QString& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf16LE:
            return kUtf16LEBom + QByteArray(QStringEncoder(QStringEncoder::Utf16LE).encode(text));
        case TextEncoding::Utf16BE:
            return kUtf16BEBom + QByteArray(QStringEncoder(QStringEncoder::Utf16BE).encode(text));
        case TextEncoding::Utf8Bom:
            return kUtf8Bom + text.toUtf8();
        case TextEncoding::Utf8:
            break;
    }
    return text.toUtf8();
}
