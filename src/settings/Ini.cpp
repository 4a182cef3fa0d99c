#include "settings/Ini.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QThread>

#include <chrono>
#include <memory>
#include <mutex>

#include "settings/Cp1251.h"
#include "settings/FileReplace.h"

QString INIFileName;

namespace {

constexpr int kMaxValueLength = 254;
// How often a cached file is compared with the disk when no watcher event said so.
constexpr auto kRecheckInterval = std::chrono::milliseconds(200);

struct Fingerprint {
    bool exists = false;
    qint64 size = -1;
    qint64 modified = 0;
    qint64 changed = 0;
    bool operator==(const Fingerprint& o) const {
        return exists == o.exists && size == o.size && modified == o.modified &&
               changed == o.changed;
    }
};

Fingerprint FingerprintOf(const QString& path) {
    const QFileInfo info(path);
    Fingerprint f;
    f.exists = info.exists();
    if (f.exists) {
        f.size = info.size();
        f.modified = info.lastModified().toMSecsSinceEpoch();
        f.changed = info.metadataChangeTime().toMSecsSinceEpoch();
    }
    return f;
}

QString LookupKey(const QString& section, const QString& key) {
    return section.trimmed().toLower() + QChar(0x1F) + key.trimmed().toLower();
}

// The file split into lines, as the writer needs it to change one line and keep the rest.
struct IniText {
    QStringList lines;
    QString eol = QStringLiteral("\n");
    TextEncoding encoding = TextEncoding::Utf8;
};

IniText SplitIni(const QByteArray& raw) {
    IniText t;
    DecodedText decoded = DecodeTextFile(raw);
    t.encoding = decoded.encoding;
    if (decoded.text.contains(QLatin1String("\r\n")))
        t.eol = QStringLiteral("\r\n");
    t.lines = decoded.text.split(QLatin1Char('\n'));
    if (!t.lines.isEmpty() && t.lines.last().isEmpty())
        t.lines.removeLast();  // the file's final line break
    for (QString& line : t.lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return t;
}

QByteArray JoinIni(const IniText& t) {
    return EncodeTextFile(t.lines.join(t.eol) + t.eol, t.encoding);
}

bool IsComment(const QString& trimmed) {
    return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// "[Name]" gives Name; any other line gives a null string.
QString SectionName(const QString& trimmed) {
    if (!trimmed.startsWith(QLatin1Char('[')))
        return QString();
    int end = trimmed.indexOf(QLatin1Char(']'));
    if (end < 0)
        end = trimmed.size();
    return trimmed.mid(1, end - 1).trimmed();
}

// Private-profile reading drops one pair of matching quotes around a value.
QString UnquotedValue(const QString& raw) {
    QString v = raw.trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
        v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v.left(kMaxValueLength);
}

struct ParsedIni {
    Fingerprint fingerprint;
    QHash<QString, QString> values;  // LookupKey -> value
};

std::shared_ptr<ParsedIni> Parse(const QString& path) {
    auto parsed = std::make_shared<ParsedIni>();
    parsed->fingerprint = FingerprintOf(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return parsed;
    const IniText text = SplitIni(file.readAll());
    QString section;
    bool inSection = false;
    for (const QString& line : text.lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || IsComment(trimmed))
            continue;
        const QString name = SectionName(trimmed);
        if (!name.isNull()) {
            section = name;
            inSection = true;
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!inSection || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        const QString lookup = LookupKey(section, key);
        if (!parsed->values.contains(lookup))  // the first line of a key wins
            parsed->values.insert(lookup, UnquotedValue(line.mid(eq + 1)));
    }
    return parsed;
}

class IniStore {
public:
    static IniStore& instance() {
        static IniStore store;
        return store;
    }

    std::shared_ptr<const ParsedIni> current(const QString& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        recheckIfDue();
        auto it = files_.find(path);
        if (it != files_.end())
            return it.value();
        auto parsed = Parse(path);
        files_.insert(path, parsed);
        watch(path);
        return parsed;
    }

    void replace(const QString& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto parsed = Parse(path);
        files_.insert(path, parsed);
        ++generation_;
        watch(path);
    }

    void forget() {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.clear();
        ++generation_;
    }

    quint64 generation() {
        std::lock_guard<std::mutex> lock(mutex_);
        recheckIfDue();
        return generation_;
    }

    // Called by the watcher: compare every cached file with the disk now.
    void recheckNow() {
        std::lock_guard<std::mutex> lock(mutex_);
        recheck();
    }

private:
    void recheckIfDue() {
        const auto now = std::chrono::steady_clock::now();
        if (now < nextCheck_)
            return;
        recheck();
    }

    void recheck() {
        nextCheck_ = std::chrono::steady_clock::now() + kRecheckInterval;
        for (auto it = files_.begin(); it != files_.end();) {
            if (FingerprintOf(it.key()) == it.value()->fingerprint) {
                ++it;
            } else {
                it = files_.erase(it);
                ++generation_;
            }
        }
    }

    void watch(const QString& path) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() != app->thread())
            return;
        if (!watcher_) {
            watcher_ = new QFileSystemWatcher(app);
            auto onChange = [this](const QString&) {
                recheckNow();
                rewatchAll();
            };
            QObject::connect(watcher_, &QFileSystemWatcher::fileChanged, watcher_, onChange);
            QObject::connect(watcher_, &QFileSystemWatcher::directoryChanged, watcher_, onChange);
        }
        const QString dir = QFileInfo(path).absolutePath();
        if (QFileInfo::exists(dir) && !watcher_->directories().contains(dir))
            watcher_->addPath(dir);
        if (QFileInfo::exists(path) && !watcher_->files().contains(path))
            watcher_->addPath(path);
    }

    // An editor that saves by renaming drops the watch on the file: put it back.
    void rewatchAll() {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = files_.cbegin(); it != files_.cend(); ++it)
            watch(it.key());
    }

    std::mutex mutex_;
    QHash<QString, std::shared_ptr<ParsedIni>> files_;
    quint64 generation_ = 1;
    std::chrono::steady_clock::time_point nextCheck_{};
    QFileSystemWatcher* watcher_ = nullptr;
};

QString CanonicalPath(const QString& fileName) {
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

}  // namespace

QString DefaultIniFileName() {
    const QString dir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return dir + QStringLiteral("/Pelorus.ini");
}

QString SetIniFileNameFromArguments(const QStringList& arguments) {
    const int i = arguments.indexOf(QStringLiteral("--config"));
    if (i >= 0 && i + 1 < arguments.size())
        INIFileName = CanonicalPath(arguments[i + 1]);
    else
        INIFileName = DefaultIniFileName();
    return INIFileName;
}

QString ReadINI(const QString& fileName, const QString& section, const QString& key,
                const QString& defaultValue) {
    if (fileName.isEmpty())
        return defaultValue;
    const auto parsed = IniStore::instance().current(CanonicalPath(fileName));
    const auto it = parsed->values.constFind(LookupKey(section, key));
    return it == parsed->values.cend() ? defaultValue.left(kMaxValueLength) : it.value();
}

bool WriteINI(const QString& fileName, const QString& section, const QString& key,
              const QString& value) {
    if (fileName.isEmpty() || section.trimmed().isEmpty() || key.trimmed().isEmpty())
        return false;
    const QString path = CanonicalPath(fileName);
    QString oneLine = value;
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));

    IniText text;
    {
        QFile current(path);
        if (current.exists()) {
            if (!current.open(QIODevice::ReadOnly))
                return false;
            text = SplitIni(current.readAll());
        }
    }
    const QString wantedSection = section.trimmed().toLower();
    const QString wantedKey = key.trimmed().toLower();

    int sectionLine = -1;
    for (int i = 0; i < text.lines.size(); ++i) {
        const QString name = SectionName(text.lines[i].trimmed());
        if (!name.isNull() && name.toLower() == wantedSection) {
            sectionLine = i;
            break;
        }
    }
    if (sectionLine < 0) {
        text.lines << QLatin1Char('[') + section.trimmed() + QLatin1Char(']')
                   << key.trimmed() + QLatin1Char('=') + oneLine;
    } else {
        int keyLine = -1;
        int lastContent = sectionLine;
        for (int i = sectionLine + 1; i < text.lines.size(); ++i) {
            const QString trimmed = text.lines[i].trimmed();
            if (!SectionName(trimmed).isNull())
                break;
            if (trimmed.isEmpty())
                continue;
            lastContent = i;
            const int eq = text.lines[i].indexOf(QLatin1Char('='));
            if (!IsComment(trimmed) && eq > 0 &&
                text.lines[i].left(eq).trimmed().toLower() == wantedKey) {
                keyLine = i;
                break;
            }
        }
        if (keyLine >= 0) {
            const QString& old = text.lines[keyLine];
            text.lines[keyLine] =
                old.left(old.indexOf(QLatin1Char('='))).trimmed() + QLatin1Char('=') + oneLine;
        } else {
            text.lines.insert(lastContent + 1, key.trimmed() + QLatin1Char('=') + oneLine);
        }
    }

    if (!ReplaceFileContents(path, JoinIni(text)))
        return false;
    IniStore::instance().replace(path);
    return true;
}

void ForgetIniCache() {
    IniStore::instance().forget();
}

quint64 IniGeneration() {
    return IniStore::instance().generation();
}
