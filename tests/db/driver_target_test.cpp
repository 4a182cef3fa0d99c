// Which Qt driver serves each connection string on this platform, and with what
// (tests/data/driver_targets.tsv: a row with no driver names a word of the reason instead).
#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "db/DriverTarget.h"
#include "testsupport.h"

namespace {

TEST(DriverTargetTest, EachStringMapsToItsDriverOrSaysWhyNone) {
    const QVector<testsupport::TsvRow> rows = testsupport::DataTsv("driver_targets.tsv");
    ASSERT_EQ(rows.size(), 21);
    for (const testsupport::TsvRow& r : rows) {
        SCOPED_TRACE(r["string"].toStdString());
        const DriverTarget t = TargetForConnectionString(r["string"], "/etc/pelorus");
        EXPECT_EQ(t.driver, r["driver"]);
        if (!t.usable()) {
            EXPECT_TRUE(t.error.contains(r["database or why not"])) << t.error.toStdString();
            continue;
        }
        EXPECT_EQ(t.databaseName, r["database or why not"]);
        EXPECT_EQ(t.hostName, r["host"]);
        EXPECT_EQ(t.userName, r["user"]);
        EXPECT_EQ(t.password, r["password"]);
        EXPECT_EQ(t.connectOptions, r["options"]);
    }
    // A missing file is opened without being created.
    EXPECT_EQ(SqliteUri("/srv/gw db?.db", false), "file:///srv/gw%20db%3F.db?mode=rw");
}

}  // namespace
