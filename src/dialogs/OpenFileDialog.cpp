#include "dialogs/OpenFileDialog.h"

#include <QFileDialog>

QStringList FileDialogFilters(const QStringList& filterPairs) {
    QStringList filters;
    for (int i = 0; i + 1 < filterPairs.size(); i += 2) {
        const QString& description = filterPairs[i];
        const QString bracketed = QLatin1Char('(') + filterPairs[i + 1] + QLatin1Char(')');
        filters << (description.endsWith(bracketed) ? description
                                                    : description + QLatin1Char(' ') + bracketed);
    }
    return filters;
}

QString ShowOpenFileDialog(QWidget* parent, const QString& initDir, const QStringList& filterPairs,
                           const QString& title) {
    QFileDialog dialog(parent, title, initDir);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(FileDialogFilters(filterPairs));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
