// The message lists: columns under the headings, one line per record, and a view that stays
// quick with 100,000 records.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QListView>

#include "app/window/MessageList.h"

TEST(MessageList, ColumnStopsFollowTheHeadings) {
    EXPECT_EQ(ColumnStops(ReceivedHeading()), (QVector<int>{6, 12, 40}));
    EXPECT_EQ(ColumnStops(SendingHeading()), (QVector<int>{4, 11, 40}));
}

TEST(MessageList, DisplayLinePutsFieldsUnderTheirHeadings) {
    const QVector<int> received = ColumnStops(ReceivedHeading());
    const QVector<int> sending = ColumnStops(SendingHeading());
    const struct {
        const char* line;
        const QVector<int>& stops;
        const char* shown;
    } cases[] = {
        {"112\tFalse\t05.11.10 12:34:56\t+79161234567 Hi", received,
         "112   False 05.11.10 12:34:56           +79161234567 Hi"},
        {"17\t4\t1\t79161234567 Test", sending,
         "17  4      1                            79161234567 Test"},
        // A field that runs past its column moves the rest one stop on, at least one blank.
        {"123456\t2\t0\tx", sending, "123456     2                            0 x"},
        {"a\tb\tc\td\te", sending, "a   b      c                            d e"},
        // Line breaks keep the record on one line.
        {"1\t2\t0\t7916 two\r\nlines\nand\rmore", sending,
         "1   2      0                            7916 two\u21B5lines\u21B5and\u21B5more"},
        {"x\x01y", sending, "x y"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayLine(QString::fromUtf8(c.line), c.stops), QString::fromUtf8(c.shown))
            << c.line;
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
    CountingModel model(SendingHeading());
    QListView* view =
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
    EXPECT_EQ(model.data(model.index(records - 1), Qt::DisplayRole).toString().left(5),
              QStringLiteral("99999"));
    model.SetLines({});
    EXPECT_EQ(model.rowCount(), 0);
    delete view;
}
