// The message lists: one column per field, one line per record, and a view that stays quick
// with 100,000 records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTreeView>

#include "app/window/MessageList.h"

TEST(MessageList, LineFieldsKeepEachRecordOnOneLineInItsColumns) {
    const struct {
        const char* line;
        QStringList fields;
    } cases[] = {
        {"112\tFalse\t05.11.10 12:34:56\t+79161234567 Hi",
         {"112", "False", "05.11.10 12:34:56", "+79161234567 Hi"}},
        {"123456\t2\t0\tx", {"123456", "2", "0", "x"}},
        // A tab past the last column shows as a blank; missing fields are empty.
        {"a\tb\tc\td\te", {"a", "b", "c", "d e"}},
        {"7", {"7", "", "", ""}},
        // Line breaks keep the record on one line.
        {"1\t2\t0\t7916 two\r\nlines\nand\rmore",
         {"1", "2", "0", "7916 two\u21B5lines\u21B5and\u21B5more"}},
        {"x\x01y", {"x y", "", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineFields(QString::fromUtf8(c.line), 4), c.fields) << c.line;
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
