#include "settings/FileReplace.h"

#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

bool SyncToDisk(QFileDevice& file) {
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

bool AppendWhole(QFileDevice& file, const QByteArray& bytes) {
    const qint64 before = file.size();
    if (file.write(bytes) == bytes.size())
        return true;
    file.resize(before);
    return false;
}

namespace {

// The temporary file takes the owner, group and mode of the file it replaces; false when that
// cannot be done (a file of another user), so that the caller writes in place instead.
bool TakeOwnerAndMode(QFileDevice& temporary, const QString& path) {
#ifdef Q_OS_UNIX
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) != 0)
        return true;  // a new file: the defaults are right
    const int fd = temporary.handle();
    return ::fchown(fd, old.st_uid, old.st_gid) == 0 && ::fchmod(fd, old.st_mode & 07777) == 0;
#else
    Q_UNUSED(temporary);
    Q_UNUSED(path);
    return true;
#endif
}

bool WriteAll(QFileDevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size() && SyncToDisk(file);
}

bool RewriteInPlace(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return false;
    const QByteArray old = file.readAll();
    // Grow first: a disk that cannot take the longer text refuses it while the old text is whole.
    // The padding is line breaks, which a reader of a half-done write takes as empty lines.
    if (bytes.size() > old.size()) {
        const QByteArray padding(bytes.size() - old.size(), '\n');
        if (!file.seek(old.size()) || !WriteAll(file, padding)) {
            file.resize(old.size());
            return false;
        }
    }
    if (file.seek(0) && WriteAll(file, bytes) && file.resize(bytes.size()))
        return SyncToDisk(file);
    // The blocks were there already; put the old text back over what was written.
    file.seek(0);
    WriteAll(file, old);
    file.resize(old.size());
    return false;
}

}  // namespace

bool ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const bool exists = QFile::exists(path);
    QSaveFile out(path);
    // Unbuffered: a full disk fails the write itself. Buffered, the failure would come only from
    // the flush inside commit(), which Qt 6.4 ignores before renaming a short file over the old.
    if (out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (TakeOwnerAndMode(out, path)) {
            if (!WriteAll(out, bytes)) {
                out.cancelWriting();
                return false;
            }
            return out.commit();
        }
        out.cancelWriting();
    }
    return exists && RewriteInPlace(path, bytes);
}
