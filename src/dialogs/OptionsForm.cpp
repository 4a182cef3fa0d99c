#include "dialogs/OptionsForm.h"

#include "settings/Settings.h"

namespace {

constexpr int kDriverPosition = kKindCount;
constexpr int kAccessPosition = kKindCount + kDriverCount;
constexpr int kCodeLength = kAccessPosition + kAccessCount;

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

}  // namespace

QStringList KindCaptions() {
    return {QStringLiteral("Access"),     QStringLiteral("Access 2007"),
            QStringLiteral("SQL Server"), QStringLiteral("SQL Server 2005"),
            QStringLiteral("My SQL"),     QStringLiteral("Fire Bird"),
            QStringLiteral("SQLite")};
}

QStringList DriverCaptions() {
    return {QStringLiteral("ODBC"), QStringLiteral("OLE DB")};
}

QStringList AccessCaptions() {
    return {QStringLiteral("Standard Security"), QStringLiteral("Trusted connection")};
}

QStringList MySqlVariantCaptions() {
    return {QStringLiteral("MyODBC 2.50 Local database"),
            QStringLiteral("MyODBC 2.50 Remote database"),
            QStringLiteral("MyODBC 3.51 Local database"),
            QStringLiteral("MyODBC 3.51 Remote database")};
}

QString PathHint(const QString& extension) {
    return QStringLiteral("В поле 'База данных' укажите полный путь к файлу базы данных *.") +
           extension;
}

// The gateway opens an SQLite file named relative to the settings file's folder as well.
QString SqlitePathHint() {
    return QStringLiteral(
        "В поле 'База данных' укажите путь к файлу базы данных *.db: полный или относительно "
        "папки файла настроек.");
}

void OptionsForm::Load() {
    visible_ = false;
    CheckType(SettingNumber(Setting::ServerSbType));
    OnTypeClick();
    CheckDriver(SettingNumber(Setting::ServerDriver));
    CheckAccess(SettingNumber(Setting::ServerAccess));
    OnAccessClick();
    SetText(BoxServer, ReadSetting(Setting::ServerName));
    SetText(BoxDBase, ReadSetting(Setting::ServerDbName));
    SetText(BoxLogin, ReadSetting(Setting::ServerUser));
    SetText(BoxPassword, ReadSetting(Setting::ServerPwd));
    SetText(BoxReceive, ReadSetting(Setting::ServerTableReceiveForDialog));
    SetText(BoxSend, ReadSetting(Setting::ServerTableSendForDialog));
    RebuildCode();
    Enabling();
    visible_ = true;
}

// An operator's click runs the handler even on the button already checked.
void OptionsForm::ClickType(int kind) {
    if (!InRange(kind, kKindCount))
        return;
    c_.type = kind;
    OnTypeClick();
}

void OptionsForm::ClickDriver(int driver) {
    if (!InRange(driver, kDriverCount))
        return;
    c_.driver = driver;
    OnDriverClick();
}

void OptionsForm::ClickAccess(int access) {
    if (!InRange(access, kAccessCount))
        return;
    c_.access = access;
    OnAccessClick();
}

void OptionsForm::ClickMySqlButton() {
    OpenMySqlDialog();
    typeChanged_ = true;
    // Hidden while the access buttons change, so their handlers do not open frmMySQL again.
    const bool wasVisible = visible_;
    visible_ = false;
    const int variant = SettingNumber(Setting::ServerMySqlODBC);
    if (variant >= 1 && variant <= 3) {
        c_.accessEnabled[AccessStandard] = true;
        c_.accessEnabled[AccessTrusted] = false;
        CheckAccess(AccessStandard);
    } else if (variant == 0) {
        c_.accessEnabled[AccessStandard] = false;
        CheckAccess(AccessTrusted);
    }
    visible_ = wasVisible;
    if (InRange(variant, MySqlVariantCaptions().size()))
        c_.description = MySqlVariantCaptions()[variant];
}

void OptionsForm::EditText(OptionsBox box, const QString& text) {
    SetText(box, text);
}

void OptionsForm::WriteSettings() const {
    if (c_.type >= 0)
        WriteSetting(Setting::ServerSbType, QString::number(c_.type));
    if (c_.driver >= 0)
        WriteSetting(Setting::ServerDriver, QString::number(c_.driver));
    if (c_.access >= 0)
        WriteSetting(Setting::ServerAccess, QString::number(c_.access));
    WriteSetting(Setting::ServerName, c_.text[BoxServer]);
    WriteSetting(Setting::ServerDbName, c_.text[BoxDBase]);
    WriteSetting(Setting::ServerUser, c_.text[BoxLogin]);
    WriteSetting(Setting::ServerPwd, c_.text[BoxPassword]);
    WriteSetting(Setting::ServerTableReceiveForDialog, c_.text[BoxReceive]);
    WriteSetting(Setting::ServerTableSendForDialog, c_.text[BoxSend]);
}

void OptionsForm::CheckType(int kind) {
    if (!InRange(kind, kKindCount) || c_.type == kind)
        return;
    c_.type = kind;
    OnTypeClick();
}

void OptionsForm::CheckDriver(int driver) {
    if (!InRange(driver, kDriverCount) || c_.driver == driver)
        return;
    c_.driver = driver;
    OnDriverClick();
}

void OptionsForm::CheckAccess(int access) {
    if (!InRange(access, kAccessCount) || c_.access == access)
        return;
    c_.access = access;
    OnAccessClick();
}

void OptionsForm::OnTypeClick() {
    typeChanged_ = true;
    RebuildCode();
    Enabling();
}

void OptionsForm::OnDriverClick() {
    OnTypeClick();
}

void OptionsForm::OnAccessClick() {
    RebuildCode();
    Enabling();
}

void OptionsForm::RebuildCode() {
    code_ = QString(kCodeLength, QLatin1Char('0'));
    if (c_.type >= 0)
        code_[c_.type] = QLatin1Char('1');
    if (c_.driver >= 0)
        code_[kDriverPosition + c_.driver] = QLatin1Char('1');
    if (c_.access >= 0)
        code_[kAccessPosition + c_.access] = QLatin1Char('1');
}

// Checking a button inside the walk may run the routine again, nested; the walk goes on reading
// the code as the nested run left it.
void OptionsForm::Enabling() {
    if (!typeChanged_)
        return;
    c_.boxEnabled[BoxLogin] = true;
    c_.boxEnabled[BoxPassword] = true;
    c_.boxEnabled[BoxServer] = true;
    c_.accessEnabled = {{true, true}};
    c_.description.clear();
    c_.mySqlButtonVisible = false;
    c_.openFileVisible = false;
    for (int position = 0; position < code_.size(); ++position)
        ApplyRule(position, code_[position] == QLatin1Char('1'));
    ColourBoxes();
}

void OptionsForm::ApplyRule(int position, bool checked) {
    switch (position) {
        case KindAccess:
            if (checked)
                FileKind(QStringLiteral("mdb"));
            break;
        case KindAccess2007:
            if (checked) {
                FileKind(QStringLiteral("accdb"));
                // Access 2007 always goes through OLE DB.
                c_.driverEnabled[DriverOdbc] = false;
                CheckDriver(DriverOleDb);
            } else {
                c_.driverEnabled[DriverOdbc] = true;
            }
            break;
        case KindMySql:
            if (checked)
                MySqlOdbcRule();
            break;
        case KindFirebird:
            if (checked) {
                EmptyAndDisable(BoxServer);
                c_.description = PathHint(QStringLiteral("fdb"));
                c_.openFileExtension = QStringLiteral("fdb");
                c_.openFileVisible = true;
                c_.driverEnabled[DriverOleDb] = false;
                CheckDriver(DriverOdbc);
                c_.accessEnabled[AccessStandard] = true;
                CheckAccess(AccessStandard);
                c_.accessEnabled[AccessTrusted] = false;
            } else {
                c_.driverEnabled[DriverOleDb] = true;
            }
            break;
        case KindSQLite:
            // A file and nothing else: no server, no login, no driver or access choice.
            if (checked) {
                FileKind(QStringLiteral("db"));
                c_.description = SqlitePathHint();
                EmptyAndDisable(BoxPassword);
                c_.driverEnabled = {{false, false}};
                c_.accessEnabled = {{false, false}};
            }
            break;
        case kAccessPosition + AccessTrusted:
            if (checked) {
                EmptyAndDisable(BoxLogin);
                EmptyAndDisable(BoxPassword);
            }
            break;
        default:
            break;
    }
}

void OptionsForm::FileKind(const QString& extension) {
    EmptyAndDisable(BoxLogin);
    EmptyAndDisable(BoxServer);
    c_.description = PathHint(extension);
    c_.openFileExtension = extension;
    c_.openFileVisible = true;
}

void OptionsForm::MySqlOdbcRule() {
    if (c_.driver == DriverOleDb) {
        CheckAccess(AccessStandard);
        c_.accessEnabled[AccessStandard] = true;
        c_.accessEnabled[AccessTrusted] = false;
        return;
    }
    if (visible_)
        OpenMySqlDialog();
    c_.mySqlButtonVisible = true;
    const int variant = SettingNumber(Setting::ServerMySqlODBC);
    if (variant >= 1 && variant <= 3) {
        CheckAccess(AccessStandard);
        c_.accessEnabled[AccessStandard] = true;
        c_.accessEnabled[AccessTrusted] = false;
        c_.description = MySqlVariantCaptions()[variant];
    } else if (variant == 0) {
        c_.accessEnabled[AccessStandard] = false;
        CheckAccess(AccessTrusted);
        c_.description = MySqlVariantCaptions()[0];
    }
}

// frmMySQL clears TypeChanged when it closes, whichever button closed it.
void OptionsForm::OpenMySqlDialog() {
    if (showMySqlDialog)
        showMySqlDialog();
    typeChanged_ = false;
}

void OptionsForm::EmptyAndDisable(OptionsBox box) {
    SetText(box, QString());
    c_.boxEnabled[box] = false;
}

// A box's change: filled turns white, empty turns yellow while enabled and keeps its colour
// otherwise.
void OptionsForm::SetText(OptionsBox box, const QString& text) {
    c_.text[box] = text;
    if (!text.isEmpty())
        c_.colour[box] = BoxColour::White;
    else if (c_.boxEnabled[box])
        c_.colour[box] = BoxColour::Yellow;
}

void OptionsForm::ColourBoxes() {
    for (int box = 0; box < kBoxCount; ++box) {
        if (!c_.boxEnabled[box])
            c_.colour[box] = BoxColour::ButtonFace;
        else
            c_.colour[box] = c_.text[box].isEmpty() ? BoxColour::Yellow : BoxColour::White;
    }
}
