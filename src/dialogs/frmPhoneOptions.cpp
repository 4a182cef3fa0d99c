#include "dialogs/frmPhoneOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DialogParts.h"
#include "settings/Settings.h"

namespace {

QLineEdit* AddBox(QFormLayout* form, QWidget* frame, const QString& label, const char* name) {
    auto* edit = new QLineEdit(frame);
    edit->setObjectName(QString::fromLatin1(name));
    form->addRow(label, edit);
    return edit;
}

// A port named by its stable link, as udev makes it for a USB modem.
const char kLongPortName[] = "/dev/serial/by-id/usb-Silicon_Labs_CP2102_USB_to_UART-if00-port0";

// The labels of both frames take the widest one's width, so that their boxes line up.
void AlignLabels(const QList<QFormLayout*>& forms) {
    QList<QWidget*> labels;
    int widest = 0;
    for (QFormLayout* form : forms) {
        for (int row = 0; row < form->rowCount(); ++row) {
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::LabelRole)) {
                labels << item->widget();
                widest = qMax(widest, item->widget()->sizeHint().width());
            }
        }
    }
    for (QWidget* label : labels)
        label->setMinimumWidth(widest);
}

QString CheckValue(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

frmPhoneOptions::frmPhoneOptions(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Настройки телефона"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* portFrame = new QGroupBox(QStringLiteral("Порт / Телефон"), this);
    auto* portForm = new QFormLayout(portFrame);
    txtPortNumber_ = AddBox(portForm, portFrame, QStringLiteral("Порт:"), "txtPortNumber");
    txtPortNumber_->setMinimumWidth(
        txtPortNumber_->fontMetrics().horizontalAdvance(QLatin1String(kLongPortName)) +
        txtPortNumber_->fontMetrics().averageCharWidth() * 2);
    txtSpeed_ = new QComboBox(portFrame);
    txtSpeed_->setObjectName(QStringLiteral("txtSpeed"));
    txtSpeed_->setEditable(true);
    txtSpeed_->setInsertPolicy(QComboBox::NoInsert);
    txtSpeed_->addItems(SpeedList());
    portForm->addRow(QStringLiteral("Скорость:"), txtSpeed_);
    txtPeriod_ = AddBox(portForm, portFrame, QStringLiteral("Период опроса (сек):"), "txtPeriod");
    layout->addWidget(portFrame);

    auto* smsFrame = new QGroupBox(QStringLiteral("Отправка сообщений"), this);
    auto* smsForm = new QFormLayout(smsFrame);
    txtSMSC_ = AddBox(smsForm, smsFrame, QStringLiteral("Номер SMS центра:"), "txtSMSC");
    chkLatin_ = new QCheckBox(QStringLiteral("Перекодировать русские SMS в латиницу"), smsFrame);
    chkLatin_->setObjectName(QStringLiteral("chkLatin"));
    smsForm->addRow(chkLatin_);
    chkReport_ = new QCheckBox(QStringLiteral("Запрашивать отчет о доставке"), smsFrame);
    chkReport_->setObjectName(QStringLiteral("chkReport"));
    smsForm->addRow(chkReport_);
    layout->addWidget(smsFrame);
    AlignLabels({portForm, smsForm});

    AddOkCancel(this, layout, &cmdOK_, &cmdCancel_);
    connect(cmdOK_, &QPushButton::clicked, this, &frmPhoneOptions::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    TakeIconAndPlace(this, owner);
    Load();
}

QStringList frmPhoneOptions::SpeedList() {
    return {QStringLiteral("4800"),   QStringLiteral("9600"),  QStringLiteral("19200"),
            QStringLiteral("38400"),  QStringLiteral("57600"), QStringLiteral("115200"),
            QStringLiteral("230400"), QStringLiteral("460800")};
}

void frmPhoneOptions::Load() {
    txtPortNumber_->setText(ReadSetting(Setting::PhoneComPort));
    txtSpeed_->setCurrentText(ReadSetting(Setting::PhoneComPortSpeed));
    txtPeriod_->setText(ReadSetting(Setting::PhonePeriod));
    txtSMSC_->setText(ReadSetting(Setting::SmsSMSCForCompare));
    chkLatin_->setChecked(SettingNumber(Setting::SmsToLatin) == 1);
    chkReport_->setChecked(SettingNumber(Setting::SmsReport) == 1);
}

void frmPhoneOptions::cmdOK_Click() {
    WriteSetting(Setting::PhoneComPort, txtPortNumber_->text());
    WriteSetting(Setting::PhoneComPortSpeed, txtSpeed_->currentText());
    WriteSetting(Setting::PhonePeriod, txtPeriod_->text());
    WriteSetting(Setting::SmsSMSCForCompare, txtSMSC_->text());
    WriteSetting(Setting::SmsToLatin, CheckValue(chkLatin_));
    WriteSetting(Setting::SmsReport, CheckValue(chkReport_));
    accept();
}
