#include "modemsim_support.h"

#include <QDeadlineTimer>
#include <QFile>

#include "testsupport.h"

namespace testsupport {

ModemSim::ModemSim() {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

ModemSim::~ModemSim() {
    stop();
}

QString ModemSim::Program() {
    return BinaryDir() + QStringLiteral("/tools/pelorus-modemsim/pelorus-modemsim");
}

QString ModemSim::link() const {
    return dir_.filePath(QStringLiteral("modem"));
}

bool ModemSim::start(const QStringList& options, const QStringList& inbox) {
    stop();
    pendingOutput_.clear();
    const QString inboxPath = dir_.filePath(QStringLiteral("inbox.txt"));
    if (!WriteBytes(inboxPath, inbox.join(QLatin1Char('\n')).toUtf8() + '\n'))
        return false;
    QFile::remove(dir_.filePath(QStringLiteral("sent.txt")));
    QStringList args{QStringLiteral("--link"),    link(),
                     QStringLiteral("--inbox"),   inboxPath,
                     QStringLiteral("--sent"),    dir_.filePath(QStringLiteral("sent.txt")),
                     QStringLiteral("--control"), dir_.filePath(QStringLiteral("control"))};
    process_.start(Program(), args + options);
    return process_.waitForStarted(5000) && waitForOutput(QStringLiteral("ready"));
}

void ModemSim::stop() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool ModemSim::running() const {
    return process_.state() == QProcess::Running;
}

QStringList ModemSim::sentLines() const {
    const QString text = QString::fromUtf8(ReadBytes(dir_.filePath(QStringLiteral("sent.txt"))));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList ModemSim::sentPdus() const {
    QStringList pdus = sentLines();
    pdus.removeIf([](const QString& l) { return l.startsWith(QLatin1String("TEXT ")); });
    return pdus;
}

QStringList ModemSim::sentTexts() const {
    QStringList texts;
    for (const QString& line : sentLines())
        if (line.startsWith(QLatin1String("TEXT ")))
            texts << line.mid(5);
    return texts;
}

bool ModemSim::waitForOutput(const QString& prefix, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (true) {
        pendingOutput_ += QString::fromUtf8(process_.readAllStandardOutput());
        int end;
        while ((end = pendingOutput_.indexOf(QLatin1Char('\n'))) >= 0) {
            const QString line = pendingOutput_.left(end);
            pendingOutput_.remove(0, end + 1);
            if (line.startsWith(prefix)) {
                lastLine_ = line;
                return true;
            }
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    }
}

bool ModemSim::writeControl(const QString& line) {
    QFile control(dir_.filePath(QStringLiteral("control")));
    if (!control.open(QIODevice::WriteOnly))
        return false;
    control.write((line + QLatin1Char('\n')).toLatin1());
    control.close();
    lastLine_.clear();
    return true;
}

int ModemSim::addMessage(const QString& storage, const QString& pdu) {
    // The modem answers "added STORAGE INDEX" or "refused PDU" (notices may come between).
    if (!writeControl(storage + QLatin1Char(':') + pdu))
        return 0;
    QDeadlineTimer deadline(5000);
    while (waitForOutput(QString(), static_cast<int>(deadline.remainingTime()))) {
        if (lastLine_.startsWith(QLatin1String("added ")))
            return lastLine_.section(QLatin1Char(' '), 2, 2).toInt();
        if (lastLine_.startsWith(QLatin1String("refused ")))
            break;
    }
    return 0;
}

int ModemSim::storedMessages() {
    // The modem answers "stored ME n SM m".
    if (!writeControl(QStringLiteral("count")) || !waitForOutput(QStringLiteral("stored "), 5000))
        return -1;
    const QStringList words = lastLine_.split(QLatin1Char(' '));
    int total = 0;
    for (int i = 2; i < words.size(); i += 2)
        total += words[i].toInt();
    return total;
}

}  // namespace testsupport
