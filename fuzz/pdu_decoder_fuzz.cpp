// libFuzzer target for the PDU decoder. The first byte chooses how the rest is read: as the text
// a phone line would carry (hex digits, blanks, anything), or as raw octets that are written out
// as hex first, which reaches the field parsing sooner.
#include <QString>

#include <cstddef>
#include <cstdint>

#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool rawOctets = data[0] & 1;
    const auto* rest = reinterpret_cast<const char*>(data + 1);
    const qsizetype restSize = static_cast<qsizetype>(size - 1);
    const QString line = rawOctets ? QString::fromLatin1(QByteArray(rest, restSize).toHex())
                                   : QString::fromLatin1(rest, restSize);
    static SMScoder coder;
    coder.setRowSMS(line);
    const DecodedPdu& d = coder.Decoded();
    // What a decode promises: no text without a kind that carries one, and a line only with text.
    if (d.kind == PduKind::Invalid && (!d.text.isEmpty() || !coder.PlainSMS().isEmpty()))
        __builtin_trap();
    if (d.kind == PduKind::Submit && !coder.PlainSMS().isEmpty())
        __builtin_trap();
    if (d.hasConcat && (d.concat.reference < 0 || d.concat.reference > 0xFFFF))
        __builtin_trap();
    return 0;
}
