#include "app/window/MessageList.h"

#include <QListView>

QString ReceivedHeading() {
    return QStringLiteral("ID    База  Дата/Время                  Номер/Текст");
}

QString SendingHeading() {
    return QStringLiteral("ID  Статус Попыток                      Номер/Текст");
}

QVector<int> ColumnStops(const QString& heading) {
    QVector<int> stops;
    for (int i = 1; i < heading.size(); ++i) {
        if (heading[i - 1].isSpace() && !heading[i].isSpace())
            stops << i;
    }
    return stops;
}

QString DisplayLine(const QString& line, const QVector<int>& stops) {
    QString out;
    out.reserve(line.size() + 48);
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\t')) {
            int target = out.size() + 1;
            for (int stop : stops) {
                if (stop >= target) {
                    target = stop;
                    break;
                }
            }
            out += QString(target - out.size(), QLatin1Char(' '));
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CR LF is one break.
            if (c == QLatin1Char('\r') && i + 1 < line.size() && line[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QChar(0x21B5);
        } else if (c.unicode() < 0x20) {
            out += QLatin1Char(' ');
        } else {
            out += c;
        }
    }
    return out;
}

MessageListModel::MessageListModel(const QString& heading, QObject* parent)
    : QAbstractListModel(parent), stops_(ColumnStops(heading)) {}

void MessageListModel::SetLines(const QStringList& lines) {
    beginResetModel();
    lines_ = lines;
    endResetModel();
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= lines_.size())
        return QVariant();
    return DisplayLine(lines_[index.row()], stops_);
}

QListView* MessageListView(MessageListModel* model, const QFont& font, QWidget* parent) {
    auto* view = new QListView(parent);
    view->setModel(model);
    view->setFont(font);
    // Every row has the same height: the view measures one row, not all of them.
    view->setUniformItemSizes(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTextElideMode(Qt::ElideRight);
    view->setMinimumSize(520, 150);
    return view;
}
