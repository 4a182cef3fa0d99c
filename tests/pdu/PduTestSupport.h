#pragma once
// A scratch settings file for codec tests, and the peer vectors.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <ostream>

#include "settings/Ini.h"
#include "testsupport.h"

class ScratchSettings : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        saved_ = INIFileName;
        INIFileName = dir_.filePath(QStringLiteral("Pelorus.ini"));
    }
    void TearDown() override { INIFileName = saved_; }
    QString folder() const { return dir_.path(); }
    void set(const char* section, const char* key, const QString& value) {
        ASSERT_TRUE(WriteINI(INIFileName, section, key, value));
    }
    QString get(const char* section, const char* key) {
        return ReadINI(INIFileName, section, key, "<missing>");
    }

private:
    QTemporaryDir dir_;
    QString saved_;
};

inline QVector<testsupport::TsvRow> PeerVectors() {
    return testsupport::ReadTsv(testsupport::SharedDir() +
                                QStringLiteral("/peer-pdus/vectors.tsv"));
}

// Readable failure messages for Qt strings.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE
