#include "settings/Settings.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <limits>
#include <mutex>

#include "settings/Conversions.h"
#include "settings/Ini.h"

namespace {

constexpr int kCount = static_cast<int>(Setting::Count);

const std::array<SettingEntry, kCount>& Table() {
    static const std::array<SettingEntry, kCount> table = {{
#define PELORUS_SETTING_ROW(name, section, key, def) \
    {QStringLiteral(section), QStringLiteral(key), QString::fromUtf8(def)},
        PELORUS_SETTINGS(PELORUS_SETTING_ROW)
#undef PELORUS_SETTING_ROW
    }};
    return table;
}

// Last value read per entry, valid while the settings file's generation and name are unchanged.
struct CachedValue {
    quint64 generation = 0;
    QString fileName;
    QString value;
};

thread_local std::array<CachedValue, kCount> t_cache;

struct NumberRange {
    qint64 min;
    qint64 max;
};

// The range of the type each number is used as: the concatenation reference is one octet, the
// two spans in seconds a day's worth and more, every other number a 16-bit integer (the period,
// the mode, the kinds, the attempt count).
NumberRange RangeOf(Setting setting) {
    if (setting == Setting::SmsLongID)
        return {0, 255};
    if (setting == Setting::OptionsJoinTimeout || setting == Setting::OptionsClaimLease)
        return {0, std::numeric_limits<qint32>::max()};
    return {std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()};
}

std::function<void(const QString&)>& SettingsLog() {
    static std::function<void(const QString&)> log;
    return log;
}

// One line per key and value read, not one per cycle.
void ReportAdjusted(const SettingEntry& e, const QString& read, qint64 used) {
    static std::mutex mutex;
    static QSet<QString> reported;
    const QString line = AdjustedSettingLine(e.section + QLatin1Char('/') + e.key, read, used);
    std::lock_guard<std::mutex> lock(mutex);
    if (reported.contains(line))
        return;
    reported.insert(line);
    if (SettingsLog())
        SettingsLog()(line);
}

}  // namespace

const SettingEntry& EntryOf(Setting setting) {
    return Table()[static_cast<int>(setting)];
}

QString ReadSetting(Setting setting) {
    CachedValue& slot = t_cache[static_cast<int>(setting)];
    const quint64 generation = IniGeneration();
    if (slot.generation == generation && slot.fileName == INIFileName)
        return slot.value;
    const SettingEntry& e = EntryOf(setting);
    slot.value = ReadINI(INIFileName, e.section, e.key, e.defaultValue);
    slot.fileName = INIFileName;
    // The generation may have moved while reading (a changed file was parsed): take it afresh.
    slot.generation = IniGeneration();
    return slot.value;
}

bool WriteSetting(Setting setting, const QString& value) {
    const SettingEntry& e = EntryOf(setting);
    return WriteINI(INIFileName, e.section, e.key, value);
}

namespace {
qint64 Clamped(Setting setting, const QString& read, qint64 value) {
    const NumberRange range = RangeOf(setting);
    const qint64 used = std::clamp(value, range.min, range.max);
    if (used != value)
        ReportAdjusted(EntryOf(setting), read, used);
    return used;
}
}  // namespace

int SettingNumber(Setting setting) {
    const SettingEntry& e = EntryOf(setting);
    const QString read = ReadSetting(setting);
    const std::optional<qint64> value = WideDecimalValue(read);
    if (!value)
        return DecimalValue(e.defaultValue).value_or(0);
    return static_cast<int>(Clamped(setting, read, *value));
}

QString AdjustedSettingLine(const QString& sectionAndKey, const QString& read, qint64 used) {
    return QStringLiteral("Settings;      ") + sectionAndKey + QLatin1Char('=') + read +
           QStringLiteral(" is out of range; ") + QString::number(used) + QStringLiteral(" used");
}

void SetSettingsLog(std::function<void(const QString&)> log) {
    SettingsLog() = std::move(log);
}

qint64 SettingLeadingNumber(Setting setting) {
    const QString read = ReadSetting(setting);
    return Clamped(setting, read, LeadingNumber(read));
}
