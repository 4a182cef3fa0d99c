#pragma once
// The journal: a small local file of the work in flight, beside the settings file. Each step a
// crash must neither repeat nor lose is appended as one line and flushed to the disk before the
// gateway goes on: a send begun (row, part count, concatenation reference), each part handed to
// the phone and its outcome, the status written back, a received message stored (its key and a
// digest of its PDU) and that message deleted, a part of a long message waiting for the others
// (with its text) and those parts stored. After a crash or a stop the gateway reads what is
// still unsettled and finishes it. The file is emptied once everything in it is settled.
//
// It knows neither the phone nor the database: it records what the gateway tells it and answers
// what is still open.
#include <QFile>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include "files/Clock.h"

class Journal {
public:
    // One send-table row on its way through the phone.
    struct Send {
        int parts = 0;
        int reference = 0;       // of a concatenated message; 0 for a single one
        int accepted = 0;        // parts 1..accepted were accepted (or taken as accepted)
        int inFlight = 0;        // the part handed to the phone whose outcome is not known; 0 none
        bool uncertain = false;  // a part was taken as accepted without the phone's answer
        QMap<int, int> references;  // part -> the message reference the phone gave it
    };
    // A part of a long received message, out of the phone and waiting for the other parts.
    struct WaitingPart {
        QString digest;  // of its PDU: a part listed twice is one part
        QString sender;
        int reference = 0;
        int total = 0;
        int sequence = 0;
        qint64 firstSeenMs = 0;  // since the epoch
        QString dateTime;
        QString text;
    };

    // clock: when a line is recorded (the reports of a long message's parts expire).
    explicit Journal(QString path, const Clock& clock = Clock::system());
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // "Pelorus.journal" in the settings file's folder.
    static QString PathBeside(const QString& settingsFile);
    // The digest a stored message is known by: SHA-1 of its PDU hex, upper-cased.
    static QString Digest(const QString& pdu);

    // Reads the file into memory (a torn last line is dropped) and rewrites it with only what is
    // unsettled. A missing file is an empty journal. False when the file cannot be read, or when
    // another gateway holds it (a lock file beside it, held while this object lives): then
    // Ready() stays false and Error() says why.
    bool Load();
    bool Ready() const { return ready_; }
    QString Error() const { return error_; }

    // Each appends one line and flushes it to the disk; false when that failed (no part of the
    // line is left behind). A begun send and an offered part count only once written, so that
    // nothing goes to the phone that the journal does not know of; the other records change
    // what is held in memory even when their line could not be written.
    bool SendBegun(const QString& rowId, int parts, int reference);
    bool PartOffered(const QString& rowId, int part);
    // reference: the one the phone gave the part ("+CMGS: <mr>"), kept for its row's write-back;
    // -1 writes the line as before.
    bool PartAccepted(const QString& rowId, int part, int reference = -1);
    bool PartRefused(const QString& rowId, int part);
    // The part in flight is taken as accepted without the phone's answer.
    bool PartUncertain(const QString& rowId, int part);
    bool WrittenBack(const QString& rowId, int status);
    bool Stored(const QString& key, const QString& digest);
    bool Deleted(const QString& key);
    // Counts only once written: the part may leave the phone only then.
    bool PartWaiting(const WaitingPart& part);
    // The waiting parts with these digests are in the receive table now.
    bool PartsStored(const QStringList& digests);
    // Delivery reports of the parts of a long message whose row is still open: the row's outcome
    // needs every part's, and they may come on either side of a restart. Each line carries the
    // moment it was recorded (lines without one are taken as recorded when the file was read).
    bool PartReported(const QString& rowId, int reference, int status);
    // The journal is done with the row's reports: its outcome is final, or they expired.
    bool ReportsPaired(const QString& rowId);

    const QHash<QString, Send>& Sends() const { return sends_; }
    const Send* FindSend(const QString& rowId) const;
    // Key -> digest of each message stored and not yet deleted from the phone.
    const QHash<QString, QString>& StoredMessages() const { return stored_; }
    // Digest -> part, of each part waiting for the others.
    const QHash<QString, WaitingPart>& WaitingParts() const { return waiting_; }
    // Row ID -> message reference -> TP-ST of each report kept.
    const QHash<QString, QMap<int, int>>& Reports() const { return reports_; }
    // The rows whose first kept report was recorded more than secs ago.
    QStringList ReportsOlderThan(qint64 secs) const;
    bool Settled() const {
        return sends_.isEmpty() && stored_.isEmpty() && waiting_.isEmpty() && reports_.isEmpty();
    }

    // Empties the file once everything is settled; rewrites it with only the unsettled lines when
    // it has grown well past them. False when the file could not be changed.
    bool Compact();

private:
    bool Append(const QStringList& fields, bool countsOnlyWhenWritten);
    bool Rewrite();
    bool WriteLines(const QByteArray& bytes);
    void Apply(const QStringList& fields);
    QByteArray LiveLines() const;
    bool OpenForAppend();
    bool Fail(const QString& what);

    bool Lock();

    QString path_;
    const Clock& clock_;
    qint64 loadedAt_ = 0;  // seconds since the epoch; the moment of lines recorded without one
    QFile file_;
    int lockHandle_ = -1;
    bool ready_ = false;
    QString error_;
    int linesInFile_ = 0;
    QHash<QString, Send> sends_;
    QHash<QString, QString> stored_;
    QHash<QString, WaitingPart> waiting_;
    QHash<QString, QMap<int, int>> reports_;
    QHash<QString, qint64> reportedAt_;  // row -> when its first kept report was recorded
};
