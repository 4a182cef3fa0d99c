#include "files/Journal.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "settings/FileReplace.h"

namespace {

// The file is rewritten with only its unsettled lines once it holds this many lines and four
// times as many as are unsettled; an empty journal is simply truncated.
constexpr int kRewriteAfterLines = 512;

const QString kBegin = QStringLiteral("begin");
const QString kOffer = QStringLiteral("offer");
const QString kAccept = QStringLiteral("accept");
const QString kRefuse = QStringLiteral("refuse");
const QString kUncertain = QStringLiteral("uncertain");
const QString kWritten = QStringLiteral("written");
const QString kStored = QStringLiteral("stored");
const QString kDeleted = QStringLiteral("deleted");
const QString kWaiting = QStringLiteral("waiting");
const QString kPartsStored = QStringLiteral("parts-stored");
const QString kReported = QStringLiteral("reported");
const QString kPaired = QStringLiteral("paired");

// A renamed file survives a power failure only once its folder is on the disk too.
void SyncFolder(const QString& folder) {
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

QByteArray LineOf(const QStringList& fields) {
    QByteArray line;
    for (const QString& field : fields) {
        if (!line.isEmpty())
            line += ' ';
        line += QUrl::toPercentEncoding(field);
    }
    return line + '\n';
}

QStringList FieldsOf(const QByteArray& line) {
    QStringList fields;
    for (const QByteArray& field : line.split(' '))
        fields << QUrl::fromPercentEncoding(field);
    return fields;
}

QStringList WaitingFields(const Journal::WaitingPart& p) {
    return {kWaiting,
            p.digest,
            p.sender,
            QString::number(p.reference),
            QString::number(p.total),
            QString::number(p.sequence),
            QString::number(p.firstSeenMs),
            p.dateTime,
            p.text};
}

}  // namespace

Journal::Journal(QString path, const Clock& clock) : path_(std::move(path)), clock_(clock) {}

Journal::~Journal() {
#ifndef Q_OS_WIN
    if (lockHandle_ >= 0)
        ::close(lockHandle_);
#endif
}

bool Journal::Lock() {
    // A second gateway on the same settings would rewrite the file under the first one.
#ifndef Q_OS_WIN
    if (lockHandle_ >= 0)
        return true;
    const QByteArray lockPath = QFile::encodeName(path_ + QStringLiteral(".lock"));
    lockHandle_ = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockHandle_ >= 0 && ::flock(lockHandle_, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (lockHandle_ >= 0)
        ::close(lockHandle_);
    lockHandle_ = -1;
    return Fail(QStringLiteral("The journal is in use by another gateway"));
#else
    return true;
#endif
}

QString Journal::PathBeside(const QString& settingsFile) {
    return QFileInfo(settingsFile).absoluteDir().filePath(QStringLiteral("Pelorus.journal"));
}

QString Journal::Digest(const QString& pdu) {
    return QString::fromLatin1(
        QCryptographicHash::hash(pdu.trimmed().toUpper().toLatin1(), QCryptographicHash::Sha1)
            .toHex());
}

bool Journal::Fail(const QString& what) {
    error_ = what + QStringLiteral(": ") + path_;
    return false;
}

bool Journal::Load() {
    ready_ = false;
    sends_.clear();
    stored_.clear();
    waiting_.clear();
    reports_.clear();
    reportedAt_.clear();
    loadedAt_ = clock_.now().toSecsSinceEpoch();
    file_.close();
    if (!Lock())
        return false;
    if (QFileInfo::exists(path_)) {
        QFile in(path_);
        if (!in.open(QIODevice::ReadOnly))
            return Fail(in.errorString());
        // size(), not readAll(): a device in place of the file gives nothing instead of endless
        // bytes.
        QList<QByteArray> lines = in.read(in.size()).split('\n');
        lines.removeLast();  // empty after the last line end, or a line torn by a crash
        for (const QByteArray& line : lines)
            Apply(FieldsOf(line));
        linesInFile_ = static_cast<int>(lines.size());
    }
    ready_ = true;
    error_.clear();
    // Drops the settled and torn lines; a file that cannot be rewritten still serves.
    if (linesInFile_ > 0 && Settled())
        Compact();
    else if (linesInFile_ > 0)
        Rewrite();
    return true;
}

const Journal::Send* Journal::FindSend(const QString& rowId) const {
    const auto it = sends_.constFind(rowId);
    return it == sends_.cend() ? nullptr : &it.value();
}

bool Journal::SendBegun(const QString& rowId, int parts, int reference) {
    return Append({kBegin, rowId, QString::number(parts), QString::number(reference)}, true);
}
bool Journal::PartOffered(const QString& rowId, int part) {
    return Append({kOffer, rowId, QString::number(part)}, true);
}
bool Journal::PartAccepted(const QString& rowId, int part, int reference) {
    QStringList fields{kAccept, rowId, QString::number(part)};
    if (reference >= 0)
        fields << QString::number(reference);
    return Append(fields, false);
}
bool Journal::PartRefused(const QString& rowId, int part) {
    return Append({kRefuse, rowId, QString::number(part)}, false);
}
bool Journal::PartUncertain(const QString& rowId, int part) {
    return Append({kUncertain, rowId, QString::number(part)}, false);
}
bool Journal::WrittenBack(const QString& rowId, int status) {
    return Append({kWritten, rowId, QString::number(status)}, false);
}
bool Journal::Stored(const QString& key, const QString& digest) {
    return Append({kStored, key, digest}, false);
}
bool Journal::Deleted(const QString& key) {
    return Append({kDeleted, key}, false);
}
bool Journal::PartReported(const QString& rowId, int reference, int status) {
    return Append({kReported, rowId, QString::number(reference), QString::number(status),
                   QString::number(clock_.now().toSecsSinceEpoch())},
                  false);
}
bool Journal::ReportsPaired(const QString& rowId) {
    return Append({kPaired, rowId}, false);
}

QStringList Journal::ReportsOlderThan(qint64 secs) const {
    const qint64 before = clock_.now().toSecsSinceEpoch() - secs;
    QStringList rows;
    for (auto it = reportedAt_.cbegin(); it != reportedAt_.cend(); ++it)
        if (*it < before)
            rows << it.key();
    return rows;
}

bool Journal::PartWaiting(const WaitingPart& p) {
    return Append(WaitingFields(p), true);
}
bool Journal::PartsStored(const QStringList& digests) {
    return Append(QStringList{kPartsStored} + digests, false);
}

bool Journal::Append(const QStringList& fields, bool countsOnlyWhenWritten) {
    const bool written = ready_ && OpenForAppend() && WriteLines(LineOf(fields));
    if (!ready_)
        Fail(QStringLiteral("The journal could not be read"));
    if (written)
        ++linesInFile_;
    if (written || !countsOnlyWhenWritten)
        Apply(fields);
    return written;
}

bool Journal::OpenForAppend() {
    if (file_.isOpen())
        return true;
    file_.setFileName(path_);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return Fail(file_.errorString());
    return true;
}

bool Journal::WriteLines(const QByteArray& bytes) {
    if (!AppendWhole(file_, bytes))
        return Fail(file_.errorString());
    if (!SyncToDisk(file_))
        return Fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}

void Journal::Apply(const QStringList& fields) {
    const QString& word = fields.value(0);
    const QString& id = fields.value(1);
    const int number = fields.value(2).toInt();
    if (word == kBegin) {
        sends_[id] = Send{number, fields.value(3).toInt(), 0, 0, false, {}};
        return;
    }
    if (word == kStored) {
        stored_[id] = fields.value(2);
        return;
    }
    if (word == kDeleted) {
        stored_.remove(id);
        return;
    }
    if (word == kWaiting) {
        waiting_[id] = WaitingPart{id,
                                   fields.value(2),
                                   fields.value(3).toInt(),
                                   fields.value(4).toInt(),
                                   fields.value(5).toInt(),
                                   fields.value(6).toLongLong(),
                                   fields.value(7),
                                   fields.value(8)};
        return;
    }
    if (word == kPartsStored) {
        for (const QString& digest : fields.mid(1))
            waiting_.remove(digest);
        return;
    }
    if (word == kWritten) {
        sends_.remove(id);
        return;
    }
    if (word == kReported) {
        reports_[id][number] = fields.value(3).toInt();
        if (!reportedAt_.contains(id))
            reportedAt_[id] = fields.size() > 4 ? fields.value(4).toLongLong() : loadedAt_;
        return;
    }
    if (word == kPaired) {
        reports_.remove(id);
        reportedAt_.remove(id);
        return;
    }
    const auto it = sends_.find(id);
    if (it == sends_.end())
        return;
    Send& send = it.value();
    if (word == kOffer) {
        send.inFlight = number;
        return;
    }
    send.inFlight = 0;
    if (word == kAccept || word == kUncertain)
        send.accepted = std::max(send.accepted, number);
    if (word == kAccept && fields.size() > 3)  // older lines carry no reference
        send.references[number] = fields.value(3).toInt();
    if (word == kUncertain)
        send.uncertain = true;
    if (word == kRefuse)
        send.accepted = std::min(send.accepted, number - 1);
}

QByteArray Journal::LiveLines() const {
    QByteArray lines;
    for (auto it = sends_.cbegin(); it != sends_.cend(); ++it) {
        const Send& s = it.value();
        const QString& id = it.key();
        lines += LineOf({kBegin, id, QString::number(s.parts), QString::number(s.reference)});
        for (auto ref = s.references.cbegin(); ref != s.references.cend(); ++ref)
            if (ref.key() <= s.accepted)
                lines += LineOf({kAccept, id, QString::number(ref.key()), QString::number(*ref)});
        if (s.accepted > 0)
            lines += LineOf({s.uncertain ? kUncertain : kAccept, id, QString::number(s.accepted)});
        if (s.inFlight > 0)
            lines += LineOf({kOffer, id, QString::number(s.inFlight)});
    }
    for (auto it = stored_.cbegin(); it != stored_.cend(); ++it)
        lines += LineOf({kStored, it.key(), it.value()});
    for (const WaitingPart& p : waiting_)
        lines += LineOf(WaitingFields(p));
    for (auto it = reports_.cbegin(); it != reports_.cend(); ++it)
        for (auto part = it->cbegin(); part != it->cend(); ++part)
            lines += LineOf({kReported, it.key(), QString::number(part.key()),
                             QString::number(*part), QString::number(reportedAt_.value(it.key()))});
    return lines;
}

bool Journal::Compact() {
    if (!ready_)
        return false;
    if (Settled()) {
        if (linesInFile_ == 0)
            return true;
        if (!OpenForAppend() || !file_.resize(0) || !SyncToDisk(file_))
            return Fail(file_.errorString());
        linesInFile_ = 0;
        return true;
    }
    const int live =
        static_cast<int>(sends_.size() * 3 + stored_.size() + waiting_.size() + reports_.size());
    if (linesInFile_ < kRewriteAfterLines || linesInFile_ < 4 * live)
        return true;
    return Rewrite();
}

bool Journal::Rewrite() {
    // The unsettled lines go to a new file that then takes the journal's name, so a crash at any
    // moment leaves either the old journal or the new one whole.
    const QByteArray lines = LiveLines();
    const QString fresh = path_ + QStringLiteral(".new");
    QFile out(fresh);
    const bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         out.write(lines) == lines.size() && out.flush() && SyncToDisk(out);
    out.close();
    file_.close();
#ifdef Q_OS_WIN
    QFile::remove(path_);
#endif
    if (!written || std::rename(QFile::encodeName(fresh).constData(),
                                QFile::encodeName(path_).constData()) != 0) {
        QFile::remove(fresh);
        return Fail(QStringLiteral("The journal could not be rewritten"));
    }
    SyncFolder(QFileInfo(path_).absolutePath());
    linesInFile_ = static_cast<int>(lines.count('\n'));
    return true;
}
