#pragma once
// "Настройки телефона": port, speed, polling period, SMS centre, transliteration and delivery
// reports (sections Phone and SMS). Shown modally; OK writes the six values as the boxes hold
// them, Cancel writes nothing.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class frmPhoneOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmPhoneOptions(QWidget* owner = nullptr);

    static QStringList SpeedList();

    // The port box takes a number ("1" for the first serial port) or a device path.
    QLineEdit* txtPortNumber() const { return txtPortNumber_; }
    QComboBox* txtSpeed() const { return txtSpeed_; }
    QLineEdit* txtPeriod() const { return txtPeriod_; }
    QLineEdit* txtSMSC() const { return txtSMSC_; }
    QCheckBox* chkLatin() const { return chkLatin_; }
    QCheckBox* chkReport() const { return chkReport_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void Load();
    void cmdOK_Click();

    QLineEdit* txtPortNumber_;
    QComboBox* txtSpeed_;
    QLineEdit* txtPeriod_;
    QLineEdit* txtSMSC_;
    QCheckBox* chkLatin_;
    QCheckBox* chkReport_;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
