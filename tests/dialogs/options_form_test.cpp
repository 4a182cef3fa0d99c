// The database options dialog's behaviour without widgets: the enabling routine with its
// position rules, nested clicks and TypeChanged, against real settings files.
#include <gtest/gtest.h>

#include "dialogs/OptionsForm.h"
#include "dialogs/WidgetTestSupport.h"

using namespace Qt::StringLiterals;
using widgettest::ScratchSettings;

namespace {

// A form loaded from the file, with a variant dialog that counts its openings and, like the OK
// of frmMySQL, writes the variant it is given (or nothing for -1).
struct LoadedForm {
    explicit LoadedForm(int variantChosen = -1) {
        form.showMySqlDialog = [this, variantChosen] {
            ++variantDialogs;
            if (variantChosen >= 0)
                WriteINI(INIFileName, u"Server"_s, u"MySqlODBC"_s, QString::number(variantChosen));
        };
        form.Load();
    }
    const OptionsControls& c() const { return form.Controls(); }
    OptionsForm form;
    int variantDialogs = 0;
};

QByteArray ServerSection(const char* lines) {
    return QByteArray("[Server]\n") + lines;
}

}  // namespace

TEST(OptionsForm, NoSettingsFileChecksAccessOdbcStandardAndMarksTheEmptyBoxes) {
    ScratchSettings settings;
    LoadedForm f;
    EXPECT_EQ(f.c().type, KindAccess);
    EXPECT_EQ(f.c().driver, DriverOdbc);
    EXPECT_EQ(f.c().access, AccessStandard);
    EXPECT_EQ(f.form.OptionsCode(), u"10000001010"_s);
    EXPECT_FALSE(f.c().boxEnabled[BoxServer]);
    EXPECT_FALSE(f.c().boxEnabled[BoxLogin]);
    EXPECT_TRUE(f.c().boxEnabled[BoxPassword]);
    EXPECT_EQ(f.c().colour[BoxServer], BoxColour::ButtonFace);
    EXPECT_EQ(f.c().colour[BoxLogin], BoxColour::ButtonFace);
    for (OptionsBox box : {BoxPassword, BoxDBase, BoxSend, BoxReceive})
        EXPECT_EQ(f.c().colour[box], BoxColour::Yellow) << box;
    EXPECT_TRUE(f.c().description.endsWith(u"*.mdb"_s));
    EXPECT_TRUE(f.c().openFileVisible);
    EXPECT_EQ(f.c().openFileExtension, u"mdb"_s);
    EXPECT_FALSE(f.c().mySqlButtonVisible);
    EXPECT_EQ(f.variantDialogs, 0);
    EXPECT_FALSE(settings.exists());
}

TEST(OptionsForm, LoadFillsTheBoxesFromSectionServer) {
    ScratchSettings settings(
        ServerSection("SbType=2\nDriver=1\nAccess=0\nServerName=db1\nDbName=Sms\nUser=sa\nPwd=\n"
                      "TableReceive=In\nTableSend=Out\n"));
    LoadedForm f;
    EXPECT_EQ(f.c().type, KindSqlServer);
    EXPECT_EQ(f.c().driver, DriverOleDb);
    EXPECT_EQ(f.c().text[BoxServer], u"db1"_s);
    EXPECT_EQ(f.c().text[BoxDBase], u"Sms"_s);
    EXPECT_EQ(f.c().text[BoxLogin], u"sa"_s);
    EXPECT_EQ(f.c().text[BoxReceive], u"In"_s);
    EXPECT_EQ(f.c().text[BoxSend], u"Out"_s);
    EXPECT_EQ(f.c().colour[BoxServer], BoxColour::White);
    EXPECT_EQ(f.c().colour[BoxPassword], BoxColour::Yellow);
    EXPECT_TRUE(f.c().description.isEmpty());
    EXPECT_FALSE(f.c().openFileVisible);
}

TEST(OptionsForm, Access2007ForcesOleDbAndAnotherKindGivesOdbcBackButKeepsOleDb) {
    ScratchSettings settings;
    LoadedForm f;
    f.form.ClickType(KindAccess2007);
    EXPECT_FALSE(f.c().driverEnabled[DriverOdbc]);
    EXPECT_EQ(f.c().driver, DriverOleDb);
    EXPECT_EQ(f.c().description, PathHint(u"accdb"_s));
    EXPECT_EQ(f.c().openFileExtension, u"accdb"_s);
    EXPECT_EQ(f.form.OptionsCode(), u"01000000110"_s);

    f.form.ClickType(KindSqlServer2005);
    EXPECT_TRUE(f.c().driverEnabled[DriverOdbc]);
    EXPECT_EQ(f.c().driver, DriverOleDb);
    EXPECT_TRUE(f.c().boxEnabled[BoxServer]);
    EXPECT_TRUE(f.c().boxEnabled[BoxLogin]);
    EXPECT_TRUE(f.c().description.isEmpty());
    EXPECT_FALSE(f.c().openFileVisible);
}

TEST(OptionsForm, FireBirdForcesOdbcAndStandardSecurityAndEmptiesTheServer) {
    ScratchSettings settings(ServerSection("SbType=2\nDriver=1\nAccess=1\nServerName=db1\n"));
    LoadedForm f;
    ASSERT_EQ(f.c().access, AccessTrusted);
    ASSERT_FALSE(f.c().boxEnabled[BoxLogin]);

    f.form.ClickType(KindFirebird);
    EXPECT_FALSE(f.c().driverEnabled[DriverOleDb]);
    EXPECT_EQ(f.c().driver, DriverOdbc);
    EXPECT_EQ(f.c().access, AccessStandard);
    EXPECT_TRUE(f.c().accessEnabled[AccessStandard]);
    EXPECT_FALSE(f.c().accessEnabled[AccessTrusted]);
    EXPECT_TRUE(f.c().text[BoxServer].isEmpty());
    EXPECT_FALSE(f.c().boxEnabled[BoxServer]);
    // Standard security again: the login boxes are back.
    EXPECT_TRUE(f.c().boxEnabled[BoxLogin]);
    EXPECT_TRUE(f.c().boxEnabled[BoxPassword]);
    EXPECT_TRUE(f.c().description.endsWith(u"fdb"_s));
    EXPECT_EQ(f.c().openFileExtension, u"fdb"_s);
    EXPECT_EQ(f.form.OptionsCode(), u"00000101010"_s);

    f.form.ClickType(KindSqlServer);
    EXPECT_TRUE(f.c().driverEnabled[DriverOleDb]);
    EXPECT_TRUE(f.c().accessEnabled[AccessTrusted]);
}

TEST(OptionsForm, TrustedConnectionEmptiesLoginAndPasswordAndOkStoresThemEmpty) {
    ScratchSettings settings(
        ServerSection("SbType=2\nDriver=0\nAccess=0\nServerName=db1\nUser=sa\nPwd=secret\n"));
    LoadedForm f;
    ASSERT_EQ(f.c().text[BoxLogin], u"sa"_s);
    f.form.ClickAccess(AccessTrusted);
    EXPECT_TRUE(f.c().text[BoxLogin].isEmpty());
    EXPECT_TRUE(f.c().text[BoxPassword].isEmpty());
    EXPECT_FALSE(f.c().boxEnabled[BoxLogin]);
    EXPECT_FALSE(f.c().boxEnabled[BoxPassword]);
    EXPECT_EQ(f.c().colour[BoxLogin], BoxColour::ButtonFace);
    EXPECT_EQ(f.c().text[BoxServer], u"db1"_s);

    f.form.WriteSettings();
    EXPECT_EQ(settings.values(u"Server"_s, {u"User"_s, u"Pwd"_s, u"Access"_s, u"ServerName"_s}),
              (QStringList{QString(), QString(), u"1"_s, u"db1"_s}));
}

TEST(OptionsForm, MySqlOdbcOpensTheVariantDialogOnlyWhenShown) {
    ScratchSettings settings(ServerSection("SbType=4\nDriver=0\nAccess=0\nMySqlODBC=2\n"));
    LoadedForm f(3);
    EXPECT_EQ(f.variantDialogs, 0);  // not at load
    EXPECT_TRUE(f.c().mySqlButtonVisible);
    EXPECT_EQ(f.c().description, u"MyODBC 3.51 Local database"_s);
    EXPECT_TRUE(f.form.TypeChanged());

    // Shown: choosing ODBC again opens it once; it writes variant 3.
    f.form.ClickDriver(DriverOdbc);
    EXPECT_EQ(f.variantDialogs, 1);
    EXPECT_FALSE(f.form.TypeChanged());
    EXPECT_EQ(f.c().description, u"MyODBC 3.51 Remote database"_s);
    EXPECT_EQ(f.c().access, AccessStandard);
    EXPECT_FALSE(f.c().accessEnabled[AccessTrusted]);

    // TypeChanged is off: an access click leaves the fields alone and opens nothing.
    f.form.EditText(BoxLogin, u"root"_s);
    f.form.ClickAccess(AccessTrusted);
    EXPECT_EQ(f.variantDialogs, 1);
    EXPECT_EQ(f.c().text[BoxLogin], u"root"_s);
    EXPECT_TRUE(f.c().boxEnabled[BoxLogin]);
}

TEST(OptionsForm, MySqlVariantZeroMeansTrustedLocalAccess) {
    ScratchSettings settings(ServerSection("SbType=2\nDriver=0\nAccess=0\nUser=u\nPwd=p\n"));
    LoadedForm f(0);
    f.form.ClickType(KindMySql);
    EXPECT_EQ(f.variantDialogs, 1);
    EXPECT_EQ(f.c().access, AccessTrusted);
    EXPECT_FALSE(f.c().accessEnabled[AccessStandard]);
    EXPECT_EQ(f.c().description, u"MyODBC 2.50 Local database"_s);
    EXPECT_TRUE(f.c().text[BoxLogin].isEmpty());
    EXPECT_FALSE(f.c().boxEnabled[BoxPassword]);
}

TEST(OptionsForm, MySqlWithOleDbTakesStandardSecurityWithoutTheVariantDialog) {
    ScratchSettings settings(ServerSection("SbType=2\nDriver=1\nAccess=1\n"));
    LoadedForm f(1);
    f.form.ClickType(KindMySql);
    EXPECT_EQ(f.variantDialogs, 0);
    EXPECT_FALSE(f.c().mySqlButtonVisible);
    EXPECT_EQ(f.c().access, AccessStandard);
    EXPECT_TRUE(f.c().accessEnabled[AccessStandard]);
    EXPECT_FALSE(f.c().accessEnabled[AccessTrusted]);
    EXPECT_TRUE(f.c().boxEnabled[BoxLogin]);
}

TEST(OptionsForm, MySqlButtonOpensTheVariantDialogOnceAndAppliesTheChoice) {
    ScratchSettings settings(ServerSection("SbType=4\nDriver=0\nAccess=0\nMySqlODBC=1\n"));
    LoadedForm f(0);
    ASSERT_EQ(f.c().access, AccessStandard);
    f.form.ClickMySqlButton();
    // The access change runs the routine again, but the form counts as hidden meanwhile.
    EXPECT_EQ(f.variantDialogs, 1);
    EXPECT_TRUE(f.form.TypeChanged());
    EXPECT_TRUE(f.form.Visible());
    EXPECT_EQ(f.c().access, AccessTrusted);
    EXPECT_FALSE(f.c().accessEnabled[AccessStandard]);
    EXPECT_EQ(f.c().description, u"MyODBC 2.50 Local database"_s);
    EXPECT_EQ(settings.value(u"Server"_s, u"MySqlODBC"_s), u"0"_s);
}

TEST(OptionsForm, SqliteIsAFileWithNoServerLoginOrDriverChoice) {
    ScratchSettings settings(
        ServerSection("SbType=2\nDriver=1\nAccess=0\nServerName=db1\nUser=sa\nPwd=x\n"));
    LoadedForm f;
    f.form.ClickType(KindSQLite);
    for (OptionsBox box : {BoxServer, BoxLogin, BoxPassword}) {
        EXPECT_FALSE(f.c().boxEnabled[box]) << box;
        EXPECT_TRUE(f.c().text[box].isEmpty()) << box;
    }
    EXPECT_EQ(f.c().driverEnabled, (std::array<bool, kDriverCount>{{false, false}}));
    EXPECT_EQ(f.c().accessEnabled, (std::array<bool, kAccessCount>{{false, false}}));
    EXPECT_EQ(f.c().description, SqlitePathHint());
    EXPECT_TRUE(f.c().description.contains(u"относительно папки файла настроек"_s));
    EXPECT_EQ(f.c().openFileExtension, u"db"_s);
    EXPECT_TRUE(f.c().openFileVisible);

    f.form.ClickType(KindSqlServer);
    EXPECT_EQ(f.c().driverEnabled, (std::array<bool, kDriverCount>{{true, true}}));
    EXPECT_EQ(f.c().accessEnabled, (std::array<bool, kAccessCount>{{true, true}}));
    EXPECT_TRUE(f.c().boxEnabled[BoxPassword]);

    f.form.ClickType(KindSQLite);
    f.form.EditText(BoxDBase, u"/var/lib/pelorus/sms.db"_s);
    f.form.WriteSettings();
    EXPECT_EQ(settings.values(u"Server"_s, {u"SbType"_s, u"DbName"_s}),
              (QStringList{u"6"_s, u"/var/lib/pelorus/sms.db"_s}));
}

TEST(OptionsForm, AKindOutsideTheListChecksNothingAndOkKeepsTheStoredValue) {
    ScratchSettings settings(ServerSection("SbType=9\nDriver=0\nAccess=0\n"));
    LoadedForm f;
    EXPECT_EQ(f.c().type, -1);
    EXPECT_EQ(f.form.OptionsCode().left(kKindCount), QString(kKindCount, QLatin1Char('0')));
    f.form.WriteSettings();
    EXPECT_EQ(settings.values(u"Server"_s, {u"SbType"_s, u"Driver"_s}),
              (QStringList{u"9"_s, u"0"_s}));
}

TEST(OptionsForm, EditingColoursTheBoxes) {
    ScratchSettings settings;
    LoadedForm f;
    f.form.EditText(BoxDBase, u"C:/sms.mdb"_s);
    EXPECT_EQ(f.c().colour[BoxDBase], BoxColour::White);
    f.form.EditText(BoxDBase, QString());
    EXPECT_EQ(f.c().colour[BoxDBase], BoxColour::Yellow);
    // A disabled box that is emptied keeps its colour.
    f.form.EditText(BoxServer, QString());
    EXPECT_EQ(f.c().colour[BoxServer], BoxColour::ButtonFace);
}
