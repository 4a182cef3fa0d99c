#pragma once
// A small tmpfs of the test's own: a real file system that fills up or runs out of files. Mounting
// needs root; a test calls GTEST_SKIP when mounted() is false.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

class SmallTmpfs {
public:
    // `options` as for mount(8), e.g. "size=64k" or "size=64k,nr_inodes=2".
    explicit SmallTmpfs(const char* options) {
        mounted_ =
            dir_.isValid() && ::geteuid() == 0 &&
            ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0, options) == 0;
    }
    ~SmallTmpfs() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Fills what is left with the file `name`; returns the bytes written.
    qint64 Fill(const QString& name = QStringLiteral("filler")) {
        QFile filler(filePath(name));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return 0;
        const QByteArray block(1024, 'f');
        qint64 total = 0;
        for (qint64 n = 0; (n = filler.write(block)) > 0;)
            total += n;
        return total;
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
