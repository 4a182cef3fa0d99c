// The send backlog load (check held by MsgID, then append) and the cost of one settings read of
// an unchanged file.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/MessageText.h"
#include "settings/Collections.h"
#include "settings/Ini.h"
#include "settings/Settings.h"

namespace {

// The rows as CheckSend hands them over: id, number, text.
struct Row {
    QString id, number, text;
};

std::vector<Row> Backlog(int rows) {
    std::vector<Row> backlog;
    backlog.reserve(static_cast<size_t>(rows));
    for (int i = 0; i < rows; ++i)
        backlog.push_back({QString::number(100000 + i),
                           QStringLiteral("+7900%1").arg(i, 7, 10, QLatin1Char('0')),
                           QStringLiteral("Message number %1 of the backlog").arg(i)});
    return backlog;
}

void BM_LoadSendBacklog(benchmark::State& state) {
    const std::vector<Row> backlog = Backlog(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SendCollection sends;
        for (const Row& row : backlog)
            LoadSendRow(sends, row.id + QChar(0) + row.number + QChar(0) + row.text);
        benchmark::DoNotOptimize(sends.count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadSendBacklog)->Arg(100000)->Unit(benchmark::kMillisecond);

// The next cycle loads the same rows again: every one is found held and dropped.
void BM_ReloadHeldSendBacklog(benchmark::State& state) {
    const std::vector<Row> backlog = Backlog(static_cast<int>(state.range(0)));
    SendCollection sends;
    for (const Row& row : backlog) {
        MsgToSend msg;
        msg.setMsgID(row.id);
        sends.add(std::move(msg));
    }
    for (auto _ : state) {
        int held = 0;
        for (const Row& row : backlog)
            held += sends.contains(row.id) ? 1 : 0;
        benchmark::DoNotOptimize(held);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReloadHeldSendBacklog)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadSettingUnchangedFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString saved = INIFileName;
    INIFileName = QDir(dir.path()).filePath(QStringLiteral("Pelorus.ini"));
    WriteSetting(Setting::SmsToLatin, QStringLiteral("1"));
    WriteSetting(Setting::PhonePeriod, QStringLiteral("60"));
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadSetting(Setting::SmsToLatin));
    INIFileName = saved;
    ForgetIniCache();
}
BENCHMARK(BM_ReadSettingUnchangedFile);

}  // namespace
