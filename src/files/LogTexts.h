#pragma once
// Every fixed text of the log, in one place. A gateway line is TimeStamp + ";   " + one of these
// (+ the extras its builder adds); see LogLine() in LogLines.h.
#include <QString>

namespace LogTexts {

// Gateway lines, written through FileFolder::WriteFile.
inline const QString kUpdateSentFailed = QStringLiteral(
    "ADO Error;     Code: 001;  Descr: Update send table after MSG was sent; Procedure: "
    "UpdateSentMsgInBase");
inline const QString kUpdateNotSentFailed = QStringLiteral(
    "ADO Error;     Code: 002;  Descr: Update send table after MSG was not sent; Procedure: "
    "UpdateSentMsgInBase");
inline const QString kWriteReceivedFailed = QStringLiteral(
    "ADO Error;     Code: 003;  Descr: Writing received file to DataBase; Procedure: "
    "CopyFromRecCollectionToDbase");
inline const QString kCantOpenPortCheckPhone =
    QStringLiteral("PHONE Error;   Code: 100;  Descr: Cant open comport; Procedure: CheckPhone");
inline const QString kCantOpenPortCopyFromPhone = QStringLiteral(
    "PHONE Error;   Code: 100;  Descr: Cant open comport; Procedure: CopyFromPhoneToRecCollection");
inline const QString kNoAnswerCheckPhone = QStringLiteral(
    "PHONE Error;   Code: 101;  Descr: Port opened but phone doesnt answer; Procedure: CheckPhone");
inline const QString kNoAnswerCopyFromPhone = QStringLiteral(
    "PHONE Error;   Code: 101;  Descr: Port opened but phone doesnt answer; Procedure: "
    "CopyFromPhoneToRecCollection");
// In Mode 3 nothing reads the phone, so the sending step opens the port itself.
inline const QString kCantOpenPortSendMsg = QStringLiteral(
    "PHONE Error;   Code: 100;  Descr: Cant open comport; Procedure: SendMsgFromSendCollection");
inline const QString kNoAnswerSendMsg = QStringLiteral(
    "PHONE Error;   Code: 101;  Descr: Port opened but phone doesnt answer; Procedure: "
    "SendMsgFromSendCollection");
inline const QString kCantSend = QStringLiteral(
    "PHONE Error;   Code: 102;  Descr: Impossible to send message; Procedure: "
    "SendMsgFromSendCollection");
inline const QString kCantDelete = QStringLiteral(
    "PHONE Error;   Code: 103;  Descr: Cant delete MSG from phone; Procedure: "
    "DeleteMsgFromRecCollection");

// Code 102 extras: tab, "; Attempt: " n, "; MsgID: " id.
inline QString CantSendLine(int attempt, const QString& msgId) {
    return kCantSend + QStringLiteral("\t; Attempt: ") + QString::number(attempt) +
           QStringLiteral("; MsgID: ") + msgId;
}
// Code 103 extras: tab, "; MsgID: " id ";".
inline QString CantDeleteLine(const QString& msgId) {
    return kCantDelete + QStringLiteral("\t; MsgID: ") + msgId + QLatin1Char(';');
}

// A message the encoder refused for good: it is marked 3 at once, not tried on the phone. Each
// reason has its own code; the line ends like code 102's: tab, "; MsgID: " id.
inline const QString kRefusedNumber = QStringLiteral(
    "SMS Error;     Code: 201;  Descr: Destination is not a phone number; Procedure: "
    "SendMsgFromSendCollection");
inline const QString kRefusedDigits = QStringLiteral(
    "SMS Error;     Code: 202;  Descr: Destination has more than 20 digits; Procedure: "
    "SendMsgFromSendCollection");
inline const QString kRefusedParts = QStringLiteral(
    "SMS Error;     Code: 203;  Descr: Text needs more than 255 parts; Procedure: "
    "SendMsgFromSendCollection");
inline QString RefusedLine(const QString& fixedText, const QString& msgId) {
    return fixedText + QStringLiteral("\t; MsgID: ") + msgId;
}

// A listed PDU that cannot be decoded stays in the phone; this line comes the first time it is
// seen: tab, "; MsgID: " storage key, "; PDU: " the raw hex.
inline const QString kUndecodablePdu = QStringLiteral(
    "PHONE Error;   Code: 104;  Descr: Cant decode PDU, kept in phone; Procedure: "
    "ReadMsgFromPhone");
inline QString UndecodablePduLine(const QString& msgId, const QString& hex) {
    return kUndecodablePdu + QStringLiteral("\t; MsgID: ") + msgId + QStringLiteral("; PDU: ") +
           hex;
}

// An SMS-SUBMIT kept in the phone's storage (a draft or a sent copy, nothing that arrived) is
// removed so that it cannot fill the SIM; its raw hex stays in this line: tab, "; MsgID: " key,
// "; PDU: " hex.
inline QString StoredSubmitLine(const QString& msgId, const QString& hex) {
    return QStringLiteral(
               "PHONE Error;   Code: 105;  Descr: Stored outgoing message removed from phone; "
               "Procedure: ReadMsgFromPhone\t; MsgID: ") +
           msgId + QStringLiteral("; PDU: ") + hex;
}

// A send killed after its PDU went out and before the phone answered: taken as sent (or, when
// Options/ResendUncertain is "1", sent again). Extras: tab, "; MsgID: " id ";".
inline const QString kSendUncertainTakenAsSent = QStringLiteral(
    "PHONE Error;   Code: 106;  Descr: Send outcome unknown, marked as sent; Procedure: "
    "SettleJournal");
inline const QString kSendUncertainSentAgain = QStringLiteral(
    "PHONE Error;   Code: 106;  Descr: Send outcome unknown, sent again; Procedure: "
    "SettleJournal");
inline QString SendUncertainLine(bool sentAgain, const QString& msgId) {
    return (sentAgain ? kSendUncertainSentAgain : kSendUncertainTakenAsSent) +
           QStringLiteral("\t; MsgID: ") + msgId + QLatin1Char(';');
}
// The phone refused AT+CPMS: that storage is neither listed nor deleted from in this cycle.
inline QString StorageRefusedLine(int storage) {
    return QStringLiteral(
               "PHONE Error;   Code: 107;  Descr: Cant select storage; Procedure: "
               "ReadMsgFromPhone\t; Storage: ") +
           QString::number(storage) + QLatin1Char(';');
}
// The parts of a long message still missing some after Options/JoinTimeout: those there are
// stored one by one. Extras: tab, "; Sender: " number, "; Reference: " reference ";".
inline QString JoinTimedOutLine(const QString& sender, int reference) {
    return QStringLiteral(
               "PHONE Error;   Code: 108;  Descr: Long message incomplete, parts stored one by "
               "one; Procedure: JoinWaitingParts\t; Sender: ") +
           sender + QStringLiteral("; Reference: ") + QString::number(reference) + QLatin1Char(';');
}
// The journal of work in flight could not be read or written: what it cannot record is not done.
inline QString JournalFailedLine(const QString& procedure, const QString& reason) {
    return QStringLiteral("FILES Error;   Code: 200;  Descr: Cant write journal; Procedure: ") +
           procedure + QStringLiteral("\t; ") + reason + QLatin1Char(';');
}

// Database gateway lines.
inline const QString kAdoErrorCode = QStringLiteral("ADO Error;     Code: ");
inline const QString kDescr = QStringLiteral(";  Descr: ");
inline const QString kAdoQueryPrefix = QStringLiteral("ADO Error;     Querry: ");
inline const QString kQueryPrefix = QStringLiteral("Querry;        ");
inline const QString kConnStringPrefix = QStringLiteral("ConnString;    ");
inline const QString kExecutingQuery = QStringLiteral("Executing query;   : ");

// Procedure suffixes of the database gateway's error lines, one per member.
inline const QString kProcedureConnect = QStringLiteral("; Procedure: Connect DataBase;");
inline const QString kProcedureCheckSend = QStringLiteral("; Procedure: CheckSend;");
inline const QString kProcedureUpdateSend = QStringLiteral("; Procedure: UpdateSend;");
inline const QString kProcedureWriteReceived = QStringLiteral("; Procedure: WriteReceived;");
inline const QString kProcedureWriteToTable = QStringLiteral("; Procedure: WriteToTable;");
inline const QString kProcedureExecuteQuery = QStringLiteral("; Procedure: ExecuteQuery;");
inline const QString kProcedureUpdateBattery = QStringLiteral("; Procedure: UpdateBattery;");
inline const QString kProcedureUpdateStatus = QStringLiteral("; Procedure: UpdateStatus;");

// CheckSend's trace lines while Test/Recordset is "1": the statement, then "Record Counts=" n.
inline QString CheckSendTraceLine(const QString& what) {
    return kAdoErrorCode + QStringLiteral("-1") + kDescr + QLatin1Char(' ') + what +
           QStringLiteral(";  Procedure: CheckSend;");
}
inline QString RecordCountsTraceLine(int count) {
    return CheckSendTraceLine(QStringLiteral("Record Counts=") + QString::number(count));
}

// "ADO Error;     Code: " n ";  Descr: " description + the member's procedure suffix.
inline QString AdoErrorLine(const QString& code, const QString& description,
                            const QString& procedureSuffix) {
    return kAdoErrorCode + code + kDescr + description + procedureSuffix;
}

// Several gateways on one send table (Options/GatewayId).
inline const QString kProcedureClaimSend = QStringLiteral("; Procedure: ClaimSend;");
// Claims on and the send table without their columns: nothing is loaded, since a row sent
// unclaimed may be sent by another gateway too.
inline const QString kNoClaimColumns = QStringLiteral(
    "ADO Error;     Code: 020;  Descr: Send table has no Gateway and ClaimedUntil columns, "
    "which Options/GatewayId needs; nothing sent; Procedure: ClaimSend");
// Extras: tab, "; Cycles: " n ";".
inline QString ClaimsGivenBackLine(int cycles) {
    return QStringLiteral(
               "PHONE Error;   Code: 120;  Descr: Modem failed cycles in a row, claimed rows "
               "given back; Procedure: SendMsgFromSendCollection\t; Cycles: ") +
           QString::number(cycles) + QLatin1Char(';');
}

// Delivery reports paired with their rows (Options/PairReports).
// The send table lacks the columns: reports are stored as before, not paired. Once a cycle.
inline QString NoReportColumnsLine(const QString& tableSend) {
    return QStringLiteral("ADO Error;     Code: 021;  Descr: Send table ") + tableSend +
           QStringLiteral(
               " has no Reference, DeliveryStatus and DeliveredAt columns, which "
               "Options/PairReports needs; reports stored unpaired; Procedure: "
               "PairStatusReport");
}
// The other parts' reports of a long message did not come in time: the row keeps what it has.
// Extras: tab, "; MsgID: " id "; Days: " n ";".
inline QString ReportsExpiredLine(const QString& msgId, int days) {
    return QStringLiteral(
               "PHONE Error;   Code: 109;  Descr: Part reports did not all come, row keeps its "
               "outcome; Procedure: ForgetStaleReports\t; MsgID: ") +
           msgId + QStringLiteral("; Days: ") + QString::number(days) + QLatin1Char(';');
}

}  // namespace LogTexts
