#pragma once
// The folder store: keeps the log folder, creates folders, appends gateway lines to the day's
// log file and asks for a file to open. No widget in here: the message box and the open-file
// dialog are callbacks the window installs.
#include <QString>
#include <QStringList>
#include <functional>

#include "files/Clock.h"

class AlarmLamps;

class FileFolder {
public:
    // The one folder kind the gateway writes to: the daily log file.
    static constexpr int kLogFileKind = 3;

    explicit FileFolder(AlarmLamps* lamps = nullptr, const Clock& clock = Clock::system());
    ~FileFolder();
    FileFolder(const FileFolder&) = delete;
    FileFolder& operator=(const FileFolder&) = delete;

    // Keeps the folder only when it exists; otherwise the log folder becomes empty.
    void setLogFolder(const QString& folder);
    QString LogFolder() const { return logFolder_; }

    // Creates the folder (and missing parents) unless it exists. An existing folder changes
    // nothing; a created one reports success on the files lamps; a failure sets Error(), shows
    // a message and raises the files alarm. Returns whether the folder exists afterwards.
    bool CreateFolder(const QString& folder);
    // The last folder error text.
    QString Error() const { return error_; }

    // Kind 3 appends the text as one line to the day's log file (WriteLogLine: with no log
    // folder it goes to the settings file's folder; a deleted folder is made again; a line that
    // cannot be written raises the files alarm). False when nothing was written; other kinds
    // write nothing.
    bool WriteFile(int kind, const QString& text);

    // Asks the installed dialog for an existing file, offering the filters of
    // OpenFileFilterPairs; "" when the operator cancels or no dialog is installed.
    QString OpenFile(const QString& initDir, const QString& filter1 = QString(),
                     const QString& filter2 = QString()) const;

    // The settings readers' own lines (SetSettingsLog) go to this store's log from now on, until
    // it is destroyed. SetUpLogFolder calls it.
    void TakeSettingsLog();

    // (title, text) of a message for the operator.
    std::function<void(const QString& title, const QString& text)> onMessage;
    // (initial folder, filter pairs description/pattern, title) -> chosen path or "".
    using OpenFileDialog = std::function<QString(
        const QString& initDir, const QStringList& filterPairs, const QString& title)>;
    OpenFileDialog openFileDialog;

private:
    AlarmLamps* lamps_;
    const Clock& clock_;
    QString logFolder_;
    QString error_;
};

// Title of the open-file dialog.
QString OpenFileTitle();

// Description/pattern pairs of the open-file dialog: "(*.ext)" / "*.ext" for each non-empty
// extension, always ending with "(*.*)" / "*.*".
QStringList OpenFileFilterPairs(const QString& filter1 = QString(),
                                const QString& filter2 = QString());

// Start-up set-up of the log folder (the store also takes the settings log): take Folders/Logs;
// when that names no existing folder, write appFolder + "/Logs" there, create it and take the
// setting again (appFolder as default). Returns the log folder kept.
QString SetUpLogFolder(FileFolder& folder, const QString& appFolder);
