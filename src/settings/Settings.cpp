#include "settings/Settings.h"

#include <array>

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

int SettingNumber(Setting setting) {
    if (const auto v = DecimalValue(ReadSetting(setting)))
        return *v;
    return DecimalValue(EntryOf(setting).defaultValue).value_or(0);
}

qint64 SettingLeadingNumber(Setting setting) {
    return LeadingNumber(ReadSetting(setting));
}
