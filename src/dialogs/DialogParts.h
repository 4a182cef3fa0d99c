#pragma once
// Pieces the settings dialogs share: a column of option buttons, the OK/Cancel row, the
// owner's icon and position.
#include <QStringList>

class QBoxLayout;
class QButtonGroup;
class QDialog;
class QPushButton;
class QWidget;

// One option button per caption, ids 0.., object names prefix + index, in one exclusive group.
QButtonGroup* AddRadioButtons(QWidget* parent, QBoxLayout* layout, const QStringList& captions,
                              const QString& namePrefix);
// Checks the button with that id, or none when there is no such button.
void CheckOnly(QButtonGroup* group, int id);
// "ОК" and "Отмена" at the right of a row at the bottom of the layout.
void AddOkCancel(QDialog* dialog, QBoxLayout* layout, QPushButton** ok, QPushButton** cancel);
// A dialog takes its owner window's icon and opens at the owner's left and top.
void TakeIconAndPlace(QWidget* dialog, QWidget* owner);
// A button that shows and hides with the choices keeps its room, so the dialog keeps its width.
void KeepRoomWhenHidden(QWidget* widget);
