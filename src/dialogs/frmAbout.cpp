#include "dialogs/frmAbout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogParts.h"

#ifndef PELORUS_DESCRIPTION
#define PELORUS_DESCRIPTION ""
#endif

QString VersionText(const QString& version) {
    QStringList parts = version.split(QLatin1Char('.'));
    while (parts.size() < 3)
        parts << QStringLiteral("0");
    for (QString& part : parts) {
        if (part.isEmpty())
            part = QStringLiteral("0");
    }
    return parts.mid(0, 3).join(QLatin1Char('.'));
}

QString frmAbout::Description() {
    return QStringLiteral(PELORUS_DESCRIPTION);
}
QString frmAbout::Company() {
    return QStringLiteral("The Pelorus developers");
}
QString frmAbout::LegalNotice() {
    return QStringLiteral(
        "© The Pelorus developers. Open-source software, distributed with its source code.");
}

frmAbout::frmAbout(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Инфо"));
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("<b>Pelorus</b>"), this);
    layout->addWidget(title);
    lblVersion_ =
        new QLabel(QStringLiteral("Версия ") + VersionText(QStringLiteral(PELORUS_VERSION)), this);
    lblVersion_->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(lblVersion_);
    for (const QString& line : {Description(), Company(), LegalNotice()}) {
        auto* label = new QLabel(line, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    cmdOK_ = new QPushButton(QStringLiteral("ОК"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    row->addWidget(cmdOK_);
    layout->addLayout(row);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    TakeIconAndPlace(this, owner);
}
