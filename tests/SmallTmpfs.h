#pragma once
// A small tmpfs of the test's own, to meet a real full disk (its size in pages fills quickly).
// Mounting needs root: a test skips when mounted() is false.
#include <QFile>
#include <QTemporaryDir>

#include <sys/mount.h>

class SmallTmpfs {
public:
    explicit SmallTmpfs(const char* options)  // as for mount(8): "size=64k,nr_inodes=2"
        : mounted_(dir_.isValid() && ::mount("tmpfs", dir_.path().toLocal8Bit().constData(),
                                             "tmpfs", 0, options) == 0) {}
    ~SmallTmpfs() {
        if (mounted_)
            ::umount2(dir_.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool mounted_;
};
