#pragma once
// What the pipelines do with the codec's refusals: a message that can never be sent, and a listed
// PDU that cannot be decoded. Small helpers so that each pipeline needs one call.
#include <QString>

class MsgToSend;
class SMScoder;

// After PrepareSend gave nothing: when its lastErrorCode() can never be mended by another attempt,
// the record is marked refused (written back as 3 at once, no attempt used on the phone) and the
// reason's log text is returned; otherwise "" and the record is left as it is.
QString RefuseIfNeverSendable(MsgToSend& msg, const SMScoder& coder);

// After a listed PDU was assigned: the log text for an undecodable PDU seen for the first time
// under its storage key, else "".
QString UndecodablePduText(SMScoder& coder, const QString& storageKey);

// A listed PDU that is an SMS-SUBMIT: a message kept for sending, not one that arrived.
bool IsStoredSubmit(const QString& pdu);
