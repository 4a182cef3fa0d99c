#pragma once
// "MySQL: дополнительные настройки": chooses one of the four MySQL ODBC variants (Server,
// MySqlODBC). Always shown modally from frmOptions.
#include <QDialog>

class QButtonGroup;
class QPushButton;
class QRadioButton;

class frmMySQL : public QDialog {
    Q_OBJECT
public:
    explicit frmMySQL(QWidget* parent = nullptr);

    QRadioButton* optMySQL(int index) const;
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void cmdOK_Click();

    QButtonGroup* optMySQL_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};
