#include "files/FileFolder.h"

#include <QDir>
#include <QFileInfo>

#include "files/AlarmLamps.h"
#include "files/LogLines.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

namespace {
bool FolderExists(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(folder).isDir();
}
// The folder store whose log takes the settings readers' lines.
const FileFolder* g_settingsLogOwner = nullptr;
}  // namespace

FileFolder::FileFolder(AlarmLamps* lamps, const Clock& clock) : lamps_(lamps), clock_(clock) {}

FileFolder::~FileFolder() {
    if (g_settingsLogOwner == this) {
        SetSettingsLog({});
        g_settingsLogOwner = nullptr;
    }
}

void FileFolder::TakeSettingsLog() {
    g_settingsLogOwner = this;
    SetSettingsLog(
        [this](const QString& text) { WriteFile(kLogFileKind, LogLine(clock_.now(), text)); });
}

void FileFolder::setLogFolder(const QString& folder) {
    logFolder_ = FolderExists(folder) ? folder : QString();
}

bool FileFolder::CreateFolder(const QString& folder) {
    if (FolderExists(folder))
        return true;
    if (!folder.isEmpty())
        QDir().mkpath(folder);
    if (!FolderExists(folder)) {
        error_ = QStringLiteral("Can't create folder: ") + folder;
        if (onMessage)
            onMessage(QStringLiteral("Ошибка"),
                      QStringLiteral("Ошибка при создании папки: ") + folder);
        if (lamps_)
            lamps_->SetAlarm(AlarmFiles, AlarmRaised);
        return false;
    }
    if (lamps_)
        lamps_->SetAlarm(AlarmFiles, AlarmSuccess);
    return true;
}

bool FileFolder::WriteFile(int kind, const QString& text) {
    if (kind != kLogFileKind)
        return false;
    return WriteLogLine(logFolder_, clock_.now().date(), text, lamps_);
}

QString FileFolder::OpenFile(const QString& initDir, const QString& filter1,
                             const QString& filter2) const {
    if (!openFileDialog)
        return QString();
    return openFileDialog(initDir, OpenFileFilterPairs(filter1, filter2), OpenFileTitle());
}

QString OpenFileTitle() {
    return QStringLiteral("Открыть файла");
}

QStringList OpenFileFilterPairs(const QString& filter1, const QString& filter2) {
    QStringList pairs;
    for (const QString& extension : {filter1, filter2}) {
        if (!extension.isEmpty())
            pairs << QStringLiteral("(*.") + extension + QLatin1Char(')')
                  << QStringLiteral("*.") + extension;
    }
    pairs << QStringLiteral("(*.*)") << QStringLiteral("*.*");
    return pairs;
}

QString SetUpLogFolder(FileFolder& folder, const QString& appFolder) {
    folder.TakeSettingsLog();
    folder.setLogFolder(ReadSetting(Setting::FoldersLogs));
    if (folder.LogFolder().isEmpty()) {
        const QString defaultFolder = QDir(appFolder).filePath(QStringLiteral("Logs"));
        WriteSetting(Setting::FoldersLogs, defaultFolder);
        folder.CreateFolder(defaultFolder);
        const SettingEntry& logs = EntryOf(Setting::FoldersLogs);
        folder.setLogFolder(ReadINI(INIFileName, logs.section, logs.key, appFolder));
    }
    return folder.LogFolder();
}
