// The message lists: one column per field, one line per record, and a view that stays quick
// with 100,000 records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTreeView>

#include "app/window/MessageList.h"
#include "testsupport.h"

// A row: the line (escaped) and the four fields shown, parted by "|".
TEST(MessageList, LineFieldsKeepEachRecordOnOneLineInItsColumns) {
    for (const testsupport::TsvRow& row : testsupport::DataTsv("window_line_fields.tsv")) {
        EXPECT_EQ(LineFields(testsupport::Unescape(row["line"]), 4).join(u'|'), row["fields"])
            << row["case"].toStdString();
    }
}

namespace {
// Counts what the view asks for.
class CountingModel : public MessageListModel {
public:
    using MessageListModel::MessageListModel;
    QVariant data(const QModelIndex& index, int role) const override {
        ++asked;
        return MessageListModel::data(index, role);
    }
    mutable long long asked = 0;
};
}  // namespace

TEST(MessageList, AHundredThousandRecordsAreShownByAskingOnlyForTheRowsInSight) {
    QStringList lines;
    const int records = 100000;
    lines.reserve(records);
    for (int i = 0; i < records; ++i)
        lines << QStringLiteral("%1\t4\t0\t79161234567 message number %1").arg(i);
    CountingModel model(SendingHeadings());
    QTreeView* view =
        MessageListView(&model, QFontDatabase::systemFont(QFontDatabase::FixedFont), nullptr);
    view->resize(600, 300);
    view->show();
    model.SetLines(lines);
    QApplication::processEvents();
    view->scrollToBottom();
    QApplication::processEvents();
    view->repaint();

    EXPECT_EQ(model.rowCount(), records);
    EXPECT_LT(model.asked, 5000) << "the view walked the whole list";
    EXPECT_EQ(model.data(model.index(records - 1, 0), Qt::DisplayRole).toString(),
              QStringLiteral("99999"));
    model.SetLines({});
    EXPECT_EQ(model.rowCount(), 0);
    delete view;
}
