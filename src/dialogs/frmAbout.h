#pragma once
// The information box: version, description, company, legal notice and OK.
#include <QDialog>

class QLabel;
class QPushButton;

// A version as major.minor.revision ("0.1" gives "0.1.0"; a fourth part is dropped).
QString VersionText(const QString& version);

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner = nullptr);

    static QString Description();
    static QString Company();
    static QString LegalNotice();

    QLabel* lblVersion() const { return lblVersion_; }
    QPushButton* cmdOK() const { return cmdOK_; }

private:
    QLabel* lblVersion_;
    QPushButton* cmdOK_;
};
