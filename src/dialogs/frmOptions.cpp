#include "dialogs/frmOptions.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialogs/ColourValues.h"
#include "dialogs/DialogParts.h"
#include "dialogs/OpenFileDialog.h"
#include "dialogs/frmMySQL.h"
#include "settings/Ini.h"

frmOptions::frmOptions(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Настройка подключения к базе данных"));
    BuildControls();
    initialFolder = QFileInfo(INIFileName).absolutePath();
    openFileDialog = [this](const QString& initDir, const QStringList& filterPairs,
                            const QString& title) {
        return ShowOpenFileDialog(this, initDir, filterPairs, title);
    };
    form_.showMySqlDialog = [this] {
        frmMySQL variants(this);
        variants.exec();
    };

    connect(optType_, &QButtonGroup::idClicked, this, [this](int id) {
        form_.ClickType(id);
        Sync();
    });
    connect(optDrvType_, &QButtonGroup::idClicked, this, [this](int id) {
        form_.ClickDriver(id);
        Sync();
    });
    connect(optAccess_, &QButtonGroup::idClicked, this, [this](int id) {
        form_.ClickAccess(id);
        Sync();
    });
    connect(cmdMySqlODBC_, &QPushButton::clicked, this, [this] {
        form_.ClickMySqlButton();
        Sync();
    });
    for (int i = 0; i < kBoxCount; ++i) {
        const auto which = static_cast<OptionsBox>(i);
        connect(boxes_[i], &QLineEdit::textEdited, this, [this, which](const QString& text) {
            form_.EditText(which, text);
            Sync();
        });
    }
    connect(cmdOpenFile_, &QPushButton::clicked, this, &frmOptions::cmdOpenFile_Click);
    connect(cmdOK_, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);

    TakeIconAndPlace(this, owner);
    form_.Load();
    Sync();
}

void frmOptions::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    layout->addLayout(columns);

    auto* left = new QVBoxLayout;
    columns->addLayout(left);
    auto* typeFrame = new QGroupBox(QStringLiteral("Тип базы данных"), this);
    auto* typeLayout = new QVBoxLayout(typeFrame);
    optType_ = AddRadioButtons(typeFrame, typeLayout, KindCaptions(), QStringLiteral("optType"));
    left->addWidget(typeFrame);

    auto* driverFrame = new QGroupBox(QStringLiteral("Драйвер"), this);
    auto* driverLayout = new QHBoxLayout(driverFrame);
    optDrvType_ =
        AddRadioButtons(driverFrame, driverLayout, DriverCaptions(), QStringLiteral("optDrvType"));
    cmdMySqlODBC_ = new QPushButton(QStringLiteral("..."), driverFrame);
    cmdMySqlODBC_->setObjectName(QStringLiteral("cmdMySqlODBC"));
    cmdMySqlODBC_->setFixedWidth(30);
    KeepRoomWhenHidden(cmdMySqlODBC_);
    driverLayout->addWidget(cmdMySqlODBC_);
    left->addWidget(driverFrame);

    auto* accessFrame = new QGroupBox(QStringLiteral("Доступ"), this);
    auto* accessLayout = new QVBoxLayout(accessFrame);
    optAccess_ =
        AddRadioButtons(accessFrame, accessLayout, AccessCaptions(), QStringLiteral("optAccess"));
    left->addWidget(accessFrame);
    left->addStretch(1);

    auto* dbFrame = new QGroupBox(QStringLiteral("База данных"), this);
    auto* grid = new QGridLayout(dbFrame);
    struct Row {
        OptionsBox box;
        const char* caption;
        const char* name;
    };
    const Row rows[] = {{BoxServer, "Сервер", "txtServer"},
                        {BoxLogin, "Логин", "txtLogin"},
                        {BoxPassword, "Пароль", "txtPassword"},
                        {BoxDBase, "База данных", "txtDBase"},
                        {BoxSend, "Таблица на отправку", "txtSend"},
                        {BoxReceive, "Таблица принятых", "txtReceive"}};
    int line = 0;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(QString::fromUtf8(row.caption), dbFrame), line, 0);
        auto* edit = new QLineEdit(dbFrame);
        edit->setObjectName(QString::fromLatin1(row.name));
        edit->setMinimumWidth(220);
        grid->addWidget(edit, line, 1);
        boxes_[row.box] = edit;
        ++line;
    }
    boxes_[BoxPassword]->setEchoMode(QLineEdit::Password);
    cmdOpenFile_ = new QPushButton(QStringLiteral("..."), dbFrame);
    cmdOpenFile_->setObjectName(QStringLiteral("cmdOpenFile"));
    cmdOpenFile_->setFixedWidth(30);
    KeepRoomWhenHidden(cmdOpenFile_);
    grid->addWidget(cmdOpenFile_, 3, 2);
    grid->setRowStretch(line, 1);
    columns->addWidget(dbFrame, 1);

    auto* descriptionFrame = new QGroupBox(this);
    auto* descriptionLayout = new QVBoxLayout(descriptionFrame);
    lblDescription_ = new QLabel(descriptionFrame);
    lblDescription_->setObjectName(QStringLiteral("lblDescription"));
    lblDescription_->setWordWrap(true);
    lblDescription_->setMinimumHeight(lblDescription_->fontMetrics().height() * 2);
    descriptionLayout->addWidget(lblDescription_);
    layout->addWidget(descriptionFrame);

    AddOkCancel(this, layout, &cmdOK_, &cmdCancel_);
}

QRadioButton* frmOptions::optType(int index) const {
    return qobject_cast<QRadioButton*>(optType_->button(index));
}

QRadioButton* frmOptions::optDrvType(int index) const {
    return qobject_cast<QRadioButton*>(optDrvType_->button(index));
}

QRadioButton* frmOptions::optAccess(int index) const {
    return qobject_cast<QRadioButton*>(optAccess_->button(index));
}

// Draws the form's state; the widgets' own signals for operator actions are not set off here.
void frmOptions::Sync() {
    const OptionsControls& c = form_.Controls();
    CheckOnly(optType_, c.type);
    CheckOnly(optDrvType_, c.driver);
    CheckOnly(optAccess_, c.access);
    for (int i = 0; i < kDriverCount; ++i)
        optDrvType_->button(i)->setEnabled(c.driverEnabled[i]);
    for (int i = 0; i < kAccessCount; ++i)
        optAccess_->button(i)->setEnabled(c.accessEnabled[i]);
    for (int i = 0; i < kBoxCount; ++i) {
        QLineEdit* edit = boxes_[i];
        if (edit->text() != c.text[i])
            edit->setText(c.text[i]);
        edit->setEnabled(c.boxEnabled[i]);
        QPalette palette = edit->palette();
        switch (c.colour[i]) {
            case BoxColour::Yellow:
                palette.setColor(QPalette::Base, ColourFromValue(colourvalue::kYellow));
                break;
            case BoxColour::White:
                palette.setColor(QPalette::Base, ColourFromValue(colourvalue::kWhite));
                break;
            case BoxColour::ButtonFace:
                palette.setColor(QPalette::Base, palette.color(QPalette::Button));
                break;
        }
        edit->setPalette(palette);
    }
    lblDescription_->setText(c.description);
    cmdOpenFile_->setVisible(c.openFileVisible);
    cmdMySqlODBC_->setVisible(c.mySqlButtonVisible);
}

void frmOptions::cmdOpenFile_Click() {
    FileFolder folder;
    folder.openFileDialog = openFileDialog;
    const QString path = folder.OpenFile(initialFolder, form_.Controls().openFileExtension);
    form_.EditText(BoxDBase, path);
    Sync();
}

void frmOptions::cmdOK_Click() {
    form_.WriteSettings();
    accept();
}
