// Delivery reports paired with the send-table rows they report on. Each part the phone accepts
// leaves its message reference in the journal; the write-back puts the references of a row into
// its Reference column ("12,13,14"). A status report listed later is matched by reference and
// recipient against the rows still waiting for an outcome (DeliveredAt empty), the newest first,
// and writes DeliveryStatus and, once the row's outcome is final, DeliveredAt.
//
// The window is the row's own: it opens when its first references are written (those of a long
// message cut short before the rest is sent, "12,-,-") and closes with its final outcome.
// References wrap at 255, so an older row of the same subscriber and reference is either closed
// already (its report came) or older than the newest open one, which is taken. The table is what
// matching reads, and the journal keeps the reports of a long message's parts until its row's
// outcome is final, or until the other parts' reports can no longer come (kReportWindowDays),
// so a restart between the send and the reports changes nothing.
#include "app/Gateway.h"
#include "db/AdoClass.h"
#include "files/Journal.h"
#include "files/LogTexts.h"
#include "pdu/SMScoder.h"
#include "settings/Settings.h"

using namespace ReportPairing;

namespace {
// Listed reports waiting to be stored; a phone holds far fewer.
constexpr int kMaxListedReports = 4096;

// The references of the parts the phone has accepted so far, in part order.
QString AcceptedReferences(const Journal::Send& send) {
    QMap<int, int> accepted = send.references;
    accepted.removeIf([&](auto it) { return it.key() > send.accepted; });
    return ReferenceList(accepted, send.parts);
}
}  // namespace

bool Gateway::PairingOn() const {
    return ReadSetting(Setting::OptionsPairReports) == QLatin1String("1") &&
           ReadSetting(Setting::SmsReport) != QLatin1String("0");
}

bool Gateway::ReportColumnsReady() {
    if (reportColumnsCycle_ == cyclesRun_)
        return reportColumns_;
    const std::optional<bool> has = database_->HasReportColumns();
    if (!has)
        return false;  // unreachable: asked again when it answers
    reportColumnsCycle_ = cyclesRun_;
    reportColumns_ = *has;
    if (!reportColumns_)
        WriteLog(LogTexts::NoReportColumnsLine(ReadSetting(Setting::ServerTableSend)));
    return reportColumns_;
}

void Gateway::PrepareReportPairing() {
    if (!PairingOn() || !ReportColumnsReady())
        return;
    const QHash<QString, Journal::Send>& sends = journal_->Sends();
    // A long message cut short too: the reports of its first parts may come before the rest goes.
    for (auto it = sends.cbegin(); it != sends.cend(); ++it)
        if (const QString references = AcceptedReferences(*it); !references.isEmpty())
            database_->WriteReference(it.key(), references);
}

void Gateway::NoteStatusReport(const QString& digest) {
    const DecodedPdu& report = coder_->Decoded();
    if (report.kind != PduKind::StatusReport || report.messageReference < 0 || !PairingOn())
        return;
    if (listedReports_.size() >= kMaxListedReports)
        listedReports_.clear();
    listedReports_.insert(
        digest, {report.messageReference, report.number, report.status, report.dischargeTime});
}

void Gateway::PairStatusReport(const QString& digest) {
    static const QString kProcedure = QStringLiteral("CopyFromRecCollectionToDbase");
    const auto listed = listedReports_.constFind(digest);
    if (listed == listedReports_.cend() || !PairingOn() || !ReportColumnsReady())
        return;
    const ListedReport report = *listed;
    const std::optional<QList<AdoClass::OpenRow>> rows =
        database_->OpenRowsWithReference(report.reference);
    if (!rows)
        return;  // logged; tried again while the report waits to be stored
    listedReports_.remove(digest);
    for (const AdoClass::OpenRow& row : *rows) {
        if (!SameSubscriber(row.number, report.recipient))
            continue;
        QMap<int, int> parts = journal_->Reports().value(row.id);
        parts[report.reference] = report.status;
        QList<int> statuses;
        for (const int reference : ReferencesOf(row.reference))
            statuses << parts.value(reference, -1);
        const RowOutcome outcome = Combined(statuses);
        // The other parts' reports may come after a restart: the journal keeps this one first.
        if (!outcome.final && statuses.size() > 1)
            Journaled(journal_->PartReported(row.id, report.reference, report.status), kProcedure);
        QDateTime at;
        if (outcome.final) {
            at = DischargeMoment(report.dischargeTime);
            if (!at.isValid())
                at = clock_.now();
        }
        if (database_->WriteDelivery(row.id, outcome.status, at) && outcome.final &&
            journal_->Reports().contains(row.id))
            Journaled(journal_->ReportsPaired(row.id), kProcedure);
        return;
    }
}

void Gateway::ForgetStaleReports() {
    for (const QString& id : journal_->ReportsOlderThan(qint64(kReportWindowDays) * 24 * 3600)) {
        WriteLog(LogTexts::ReportsExpiredLine(id, kReportWindowDays));
        Journaled(journal_->ReportsPaired(id), QStringLiteral("SettleJournal"));
    }
}

void Gateway::WriteReferences(const QString& msgId) {
    if (!PairingOn())
        return;
    const Journal::Send* send = journal_->FindSend(msgId);
    if (send && !send->references.isEmpty() && ReportColumnsReady())
        database_->WriteReference(msgId, AcceptedReferences(*send));
}
