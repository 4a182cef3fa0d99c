#pragma once
// "Настройка подключения к базе данных": database kind, driver, access mode, server, login,
// password, database and the two table names (section Server). Opened modeless from the main
// window; OK writes section Server, Cancel writes nothing. The behaviour lives in OptionsForm;
// this class draws it and passes the operator's actions on.
#include <QDialog>

#include "dialogs/OptionsForm.h"
#include "files/FileFolder.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* owner = nullptr);

    // The open-file dialog behind cmdOpenFile (a file dialog; tests put their own answer here).
    FileFolder::OpenFileDialog openFileDialog;
    // Where cmdOpenFile starts looking: the settings file's folder, which is the program's.
    QString initialFolder;

    const OptionsForm& form() const { return form_; }
    QRadioButton* optType(int index) const;
    QRadioButton* optDrvType(int index) const;
    QRadioButton* optAccess(int index) const;
    QLineEdit* box(OptionsBox which) const { return boxes_[which]; }
    QLabel* lblDescription() const { return lblDescription_; }
    QPushButton* cmdOpenFile() const { return cmdOpenFile_; }
    QPushButton* cmdMySqlODBC() const { return cmdMySqlODBC_; }
    QPushButton* cmdOK() const { return cmdOK_; }
    QPushButton* cmdCancel() const { return cmdCancel_; }

private:
    void BuildControls();
    void Sync();
    void cmdOpenFile_Click();
    void cmdOK_Click();

    OptionsForm form_;
    QButtonGroup* optType_ = nullptr;
    QButtonGroup* optDrvType_ = nullptr;
    QButtonGroup* optAccess_ = nullptr;
    std::array<QLineEdit*, kBoxCount> boxes_{};
    QLabel* lblDescription_ = nullptr;
    QPushButton* cmdOpenFile_ = nullptr;
    QPushButton* cmdMySqlODBC_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};
