#include "app/CodecRefusals.h"

#include "files/LogTexts.h"
#include "pdu/PduDecoder.h"
#include "pdu/SMScoder.h"
#include "settings/Records.h"

namespace {
QString RefusalText(EncodeError error) {
    switch (error) {
        case EncodeError::NotANumber:
            return LogTexts::kRefusedNumber;
        case EncodeError::TooManyDigits:
            return LogTexts::kRefusedDigits;
        case EncodeError::TooManyParts:
            return LogTexts::kRefusedParts;
        case EncodeError::None:
        case EncodeError::SmscNumber:
            break;
    }
    return QString();
}
}  // namespace

QString RefuseIfNeverSendable(MsgToSend& msg, const SMScoder& coder) {
    if (!IsNeverSendable(coder.lastErrorCode()))
        return QString();
    msg.setStatus(MsgToSend::StatusRefused);
    return LogTexts::RefusedLine(RefusalText(coder.lastErrorCode()), msg.MsgID());
}

QString UndecodablePduText(SMScoder& coder, const QString& storageKey) {
    if (!coder.FirstSightOfUndecodable(storageKey))
        return QString();
    return LogTexts::UndecodablePduLine(storageKey, coder.RowSMS());
}

bool IsStoredSubmit(const QString& pdu) {
    return DecodePdu(pdu).kind == PduKind::Submit;
}
