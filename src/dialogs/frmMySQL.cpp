#include "dialogs/frmMySQL.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/DialogParts.h"
#include "dialogs/OptionsForm.h"
#include "settings/Settings.h"

frmMySQL::frmMySQL(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("MySQL: дополнительные настройки"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* frame = new QGroupBox(this);
    auto* frameLayout = new QVBoxLayout(frame);
    optMySQL_ =
        AddRadioButtons(frame, frameLayout, MySqlVariantCaptions(), QStringLiteral("optMySQL"));
    layout->addWidget(frame);
    AddOkCancel(this, layout, &cmdOK_, &cmdCancel_);
    connect(cmdOK_, &QPushButton::clicked, this, &frmMySQL::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    TakeIconAndPlace(this, parent);
    CheckOnly(optMySQL_, SettingNumber(Setting::ServerMySqlODBC));
}

QRadioButton* frmMySQL::optMySQL(int index) const {
    return qobject_cast<QRadioButton*>(optMySQL_->button(index));
}

void frmMySQL::cmdOK_Click() {
    if (optMySQL_->checkedId() >= 0)
        WriteSetting(Setting::ServerMySqlODBC, QString::number(optMySQL_->checkedId()));
    accept();
}
