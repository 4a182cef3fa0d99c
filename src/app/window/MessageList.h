#pragma once
// The two message lists: a table model over the lines the gateway hands over (a view asks only for
// the rows it shows, so a list of 100,000 records stays quick), one column per field of a line,
// under a header of the list itself, so that a value stays under its heading whatever its width.
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

class QFont;
class QTreeView;
class QWidget;

// The column headings of the received list (List1) and of the sending list (List2).
QStringList ReceivedHeadings();
QStringList SendingHeadings();

// One record's line in `columns` fields: the tabs part the fields, the last field takes the rest
// (a further tab shows as one blank); line breaks show as "↵" so that the record keeps its one
// line, other control characters as blanks.
QStringList LineFields(const QString& line, int columns);

class MessageListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MessageListModel(const QStringList& headings, QObject* parent = nullptr);

    // Replaces the whole list (the collection is shown afresh each time).
    void SetLines(const QStringList& lines);
    const QStringList& Lines() const { return lines_; }
    // The longest text shown in a column, the heading included.
    const QString& WidestText(int column) const { return widest_[column]; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    // The field as shown; its tooltip is the whole line, so a long text can always be read.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList headings_;
    QStringList lines_;
    QStringList widest_;
};

// A list view over the model in the given fixed-pitch font: the header scrolls with the list, each
// column is as wide as its longest text (the last one at least to the view's edge), and only the
// rows in sight are asked for.
QTreeView* MessageListView(MessageListModel* model, const QFont& font, QWidget* parent);
// The blank room a column keeps beside its longest text.
int ColumnPadding(const QTreeView* view);
