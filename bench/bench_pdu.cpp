// The PDU codec's hot paths: decoding what a phone lists, encoding what the send table holds.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include "pdu/SMScoder.h"
#include "settings/Ini.h"

namespace {

// Every deliver and status-report PDU of the peer vectors.
QStringList PeerReceivedPdus() {
    QStringList pdus;
    QFile file(QStringLiteral(PELORUS_SHARED_DIR "/peer-pdus/vectors.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return pdus;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(QLatin1Char('\t'));
        if (f.size() > 2 && f[1] != QLatin1String("submit"))
            pdus << f[2];
    }
    return pdus;
}

// A settings file of its own, so that the benchmark reads the keys as the gateway does.
struct ScratchIni {
    QTemporaryDir dir;
    QString saved = INIFileName;
    ScratchIni() { INIFileName = dir.filePath(QStringLiteral("Pelorus.ini")); }
    ~ScratchIni() { INIFileName = saved; }
};

void BM_DecodePeerVectors(benchmark::State& state) {
    ScratchIni ini;
    const QStringList pdus = PeerReceivedPdus();
    if (pdus.isEmpty()) {
        state.SkipWithError("peer vectors not found");
        return;
    }
    SMScoder coder;
    qint64 characters = 0;
    for (auto _ : state) {
        for (const QString& pdu : pdus) {
            coder.setRowSMS(pdu);
            characters += coder.PlainSMS().size();
        }
    }
    benchmark::DoNotOptimize(characters);
    state.SetItemsProcessed(state.iterations() * pdus.size());
}
BENCHMARK(BM_DecodePeerVectors);

void BM_EncodeSubmit(benchmark::State& state) {
    ScratchIni ini;
    const QStringList texts = {
        QStringLiteral("hello"),
        QStringLiteral("Ваш код подтверждения: 4856"),
        QStringLiteral("Meeting moved to 14:30, room {B}; cost 20€ @ desk"),
        QString(400, QLatin1Char('L')),
        QString(200, QChar(0x0416)),
    };
    SMScoder coder;
    qint64 elements = 0;
    for (auto _ : state) {
        for (const QString& t : texts) {
            QString text = t;
            elements += coder
                            .PrepareSend(QStringLiteral("+79001234567"), text,
                                         QStringLiteral("79001111111"), 0)
                            .size();
        }
    }
    benchmark::DoNotOptimize(elements);
    state.SetItemsProcessed(state.iterations() * texts.size());
}
BENCHMARK(BM_EncodeSubmit);

}  // namespace
