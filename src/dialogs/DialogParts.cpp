#include "dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>

QButtonGroup* AddRadioButtons(QWidget* parent, QBoxLayout* layout, const QStringList& captions,
                              const QString& namePrefix) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < captions.size(); ++i) {
        auto* button = new QRadioButton(captions[i], parent);
        button->setObjectName(namePrefix + QString::number(i));
        group->addButton(button, i);
        layout->addWidget(button);
    }
    return group;
}

void CheckOnly(QButtonGroup* group, int id) {
    QAbstractButton* wanted = group->button(id);
    if (wanted && wanted->isChecked())
        return;
    // An exclusive group cannot lose its check; open it for a moment.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(button == wanted);
    group->setExclusive(true);
}

void AddOkCancel(QDialog* dialog, QBoxLayout* layout, QPushButton** ok, QPushButton** cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    *ok = new QPushButton(QStringLiteral("ОК"), dialog);
    (*ok)->setObjectName(QStringLiteral("cmdOK"));
    (*ok)->setDefault(true);
    *cancel = new QPushButton(QStringLiteral("Отмена"), dialog);
    (*cancel)->setObjectName(QStringLiteral("cmdCancel"));
    row->addWidget(*ok);
    row->addWidget(*cancel);
    layout->addLayout(row);
}

void TakeIconAndPlace(QWidget* dialog, QWidget* owner) {
    if (!owner)
        return;
    QWidget* window = owner->window();
    dialog->setWindowIcon(window->windowIcon());
    dialog->move(window->frameGeometry().topLeft());
}

void KeepRoomWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}
