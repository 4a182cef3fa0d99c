#pragma once
// The open-file dialog the folder store asks for: an existing file, starting in a folder, with
// the store's description/pattern pairs as filters.
#include <QStringList>

class QWidget;

// "" when the operator cancels.
QString ShowOpenFileDialog(QWidget* parent, const QString& initDir, const QStringList& filterPairs,
                           const QString& title);
// The pairs as file-dialog filters: "(*.mdb)" with "*.mdb" stays "(*.mdb)"; any other
// description gets its pattern added in brackets.
QStringList FileDialogFilters(const QStringList& filterPairs);
