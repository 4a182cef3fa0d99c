#pragma once
// The two message lists: a model over the lines the gateway hands over (a list view asks only for
// the rows it shows, so a list of 100,000 records stays quick), and the way a line is shown under
// its column heading in a fixed-pitch font.
#include <QAbstractListModel>
#include <QStringList>
#include <QVector>

class QFont;
class QListView;
class QWidget;

// The column heading of the received list (List1) and of the sending list (List2).
QString ReceivedHeading();
QString SendingHeading();

// Where the heading's columns start: the positions of its words.
QVector<int> ColumnStops(const QString& heading);

// One record's line as shown: each tab moves to the next column stop (one blank past the last),
// line breaks show as "↵" so that the record keeps its one line, other control characters as
// blanks.
QString DisplayLine(const QString& line, const QVector<int>& stops);

class MessageListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit MessageListModel(const QString& heading, QObject* parent = nullptr);

    // Replaces the whole list (the collection is shown afresh each time).
    void SetLines(const QStringList& lines);
    const QStringList& Lines() const { return lines_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QStringList lines_;
    QVector<int> stops_;
};

// A list view over the model in the given fixed-pitch font, showing without asking the model for
// more than the rows in sight.
QListView* MessageListView(MessageListModel* model, const QFont& font, QWidget* parent);
