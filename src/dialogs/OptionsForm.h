#pragma once
// The database options dialog without its widgets: which buttons are checked and enabled, what
// the text boxes hold and how they are coloured, the hint, and the enabling routine that decides
// all of it after every change of kind, driver or access. frmOptions mirrors this state into its
// widgets after each action of the operator.
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "db/ConnectionString.h"

// optType buttons follow the database kinds (SbType), SQLite last.
constexpr int kKindCount = KindSQLite + 1;
// optDrvType
enum DriverKind { DriverOdbc, DriverOleDb, kDriverCount };
// optAccess
enum AccessKind { AccessStandard, AccessTrusted, kAccessCount };
// txtServer, txtLogin, txtPassword, txtDBase, txtSend, txtReceive
enum OptionsBox { BoxServer, BoxLogin, BoxPassword, BoxDBase, BoxSend, BoxReceive, kBoxCount };
// Empty and enabled: yellow; filled and enabled: white; disabled: the button face.
enum class BoxColour { Yellow, White, ButtonFace };

struct OptionsControls {
    int type = -1;  // checked button of each group, -1 for none
    int driver = -1;
    int access = -1;
    std::array<bool, kDriverCount> driverEnabled{{true, true}};
    std::array<bool, kAccessCount> accessEnabled{{true, true}};
    std::array<QString, kBoxCount> text;
    std::array<bool, kBoxCount> boxEnabled{{true, true, true, true, true, true}};
    std::array<BoxColour, kBoxCount> colour{{BoxColour::White, BoxColour::White, BoxColour::White,
                                             BoxColour::White, BoxColour::White, BoxColour::White}};
    QString description;        // lblDescription
    QString openFileExtension;  // what cmdOpenFile offers
    bool openFileVisible = false;
    bool mySqlButtonVisible = false;
};

QStringList KindCaptions();
QStringList DriverCaptions();
QStringList AccessCaptions();
// The four MySQL ODBC variants of frmMySQL (MySqlODBC 0 to 3).
QStringList MySqlVariantCaptions();
// The hint for the file-based kinds, ending in the extension.
QString PathHint(const QString& extension);
// The hint for an SQLite file, which may also be named relative to the settings file.
QString SqlitePathHint();

class OptionsForm {
public:
    // Shows frmMySQL modally and returns once it has closed (frmMySQL writes its own setting).
    std::function<void()> showMySqlDialog;

    // Fills the controls from section Server and runs the enabling routine; the form counts as
    // shown afterwards.
    void Load();
    // The operator's clicks.
    void ClickType(int kind);
    void ClickDriver(int driver);
    void ClickAccess(int access);
    void ClickMySqlButton();
    void EditText(OptionsBox box, const QString& text);
    // OK: writes section Server (the checked buttons' indexes and the six boxes as they stand).
    void WriteSettings() const;

    // One character per button, optType, then optDrvType, then optAccess; "1" marks the checked.
    QString OptionsCode() const { return code_; }
    bool TypeChanged() const { return typeChanged_; }
    bool Visible() const { return visible_; }
    const OptionsControls& Controls() const { return c_; }

private:
    // Checking a button from code runs its click handler when the check changes.
    void CheckType(int kind);
    void CheckDriver(int driver);
    void CheckAccess(int access);
    void OnTypeClick();
    void OnDriverClick();
    void OnAccessClick();

    void RebuildCode();
    void Enabling();
    void ApplyRule(int position, bool checked);
    void FileKind(const QString& extension);
    void MySqlOdbcRule();
    void OpenMySqlDialog();
    void EmptyAndDisable(OptionsBox box);
    void SetText(OptionsBox box, const QString& text);
    void ColourBoxes();

    OptionsControls c_;
    QString code_;
    bool typeChanged_ = false;
    bool visible_ = false;
};
