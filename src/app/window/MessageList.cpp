#include "app/window/MessageList.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>

QStringList ReceivedHeadings() {
    return {QStringLiteral("ID"), QStringLiteral("База"), QStringLiteral("Дата/Время"),
            QStringLiteral("Номер/Текст")};
}

QStringList SendingHeadings() {
    return {QStringLiteral("ID"), QStringLiteral("Статус"), QStringLiteral("Попыток"),
            QStringLiteral("Номер/Текст")};
}

QStringList LineFields(const QString& line, int columns) {
    QStringList fields(1);
    fields.reserve(columns);
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        QString& field = fields.last();
        if (c == QLatin1Char('\t')) {
            if (fields.size() < columns)
                fields << QString();
            else
                field += QLatin1Char(' ');
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            // CR LF is one break.
            if (c == QLatin1Char('\r') && i + 1 < line.size() && line[i + 1] == QLatin1Char('\n'))
                ++i;
            field += QChar(0x21B5);
        } else if (c.unicode() < 0x20) {
            field += QLatin1Char(' ');
        } else {
            field += c;
        }
    }
    while (fields.size() < columns)
        fields << QString();
    return fields;
}

MessageListModel::MessageListModel(const QStringList& headings, QObject* parent)
    : QAbstractTableModel(parent), headings_(headings), widest_(headings) {}

void MessageListModel::SetLines(const QStringList& lines) {
    beginResetModel();
    lines_ = lines;
    widest_ = headings_;
    for (const QString& line : lines_) {
        const QStringList fields = LineFields(line, columnCount());
        for (int c = 0; c < fields.size(); ++c) {
            if (fields[c].size() > widest_[c].size())
                widest_[c] = fields[c];
        }
    }
    endResetModel();
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= lines_.size())
        return QVariant();
    const QStringList fields = LineFields(lines_[index.row()], columnCount());
    if (role == Qt::DisplayRole)
        return fields.value(index.column());
    if (role == Qt::ToolTipRole)
        return fields.join(QStringLiteral("  "));
    return QVariant();
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    return headings_.value(section);
}

int ColumnPadding(const QTreeView* view) {
    // The item's own margins on both sides, and one blank between the columns.
    const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    return 2 * margin + view->fontMetrics().horizontalAdvance(QLatin1Char(' '));
}

namespace {
void FitColumns(QTreeView* view, const MessageListModel* model) {
    const QFontMetrics metrics = view->fontMetrics();
    const QFontMetrics headerMetrics = view->header()->fontMetrics();
    const int padding = ColumnPadding(view);
    for (int c = 0; c < model->columnCount(); ++c) {
        const int text = metrics.horizontalAdvance(model->WidestText(c));
        const int heading =
            headerMetrics.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString());
        view->header()->resizeSection(c, qMax(text, heading) + padding);
    }
}
}  // namespace

QTreeView* MessageListView(MessageListModel* model, const QFont& font, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setModel(model);
    view->setFont(font);
    view->header()->setFont(font);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    // Every row has the same height: the view measures one row, not all of them.
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTextElideMode(Qt::ElideRight);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(true);
    view->setMinimumSize(520, 150);
    QObject::connect(model, &QAbstractItemModel::modelReset, view,
                     [view, model] { FitColumns(view, model); });
    FitColumns(view, model);
    return view;
}
