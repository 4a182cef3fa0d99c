#include "modemsim_support.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

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

QStringList ModemSim::sentPdus() const {
    const QString text = QString::fromLatin1(ReadBytes(dir_.filePath(QStringLiteral("sent.txt"))));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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

int ModemSim::addMessage(const QString& storage, const QString& pdu) {
    QFile control(dir_.filePath(QStringLiteral("control")));
    if (!control.open(QIODevice::WriteOnly))
        return 0;
    control.write((storage + QLatin1Char(':') + pdu + QLatin1Char('\n')).toLatin1());
    control.close();
    // The modem answers "added STORAGE INDEX" or "refused PDU".
    lastLine_.clear();
    if (!waitForOutput(QString()) || !lastLine_.startsWith(QLatin1String("added ")))
        return 0;
    return lastLine_.section(QLatin1Char(' '), 2, 2).toInt();
}

ScriptedModem::ScriptedModem(QList<Rule> rules, bool atPrompt)
    : rules_(std::move(rules)), master_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
        link_ = QString::fromLatin1(ptsname(master_));
    thread_ = std::thread([this, atPrompt] { run(atPrompt); });
}

ScriptedModem::~ScriptedModem() {
    stop_ = true;
    thread_.join();
    if (master_ >= 0)
        ::close(master_);
}

QByteArray ScriptedModem::received() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

void ScriptedModem::run(bool atPrompt) {
    QByteArray line;
    char c = 0;
    while (!stop_ && master_ >= 0) {
        // Until the far side is opened the terminal reports a hang-up: wait, do not spin.
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 10) <= 0 || (p.revents & POLLIN) == 0 || ::read(master_, &c, 1) != 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_ += c;
        }
        if (c == 0x1B) {
            atPrompt = false;
            line.clear();
            continue;
        }
        if (atPrompt && c == 0x1A)
            line = "\x1A";
        else if (atPrompt || c != '\r') {
            line += c;
            continue;
        }
        if (line.isEmpty())
            continue;
        Rule rule{QByteArray(), "\r\nOK\r\n"};
        for (auto r = rules_.crbegin(); r != rules_.crend(); ++r)
            if (line.startsWith(r->command))
                rule = *r;
        line.clear();
        answer(rule);
        atPrompt = rule.reply.endsWith("> ");
    }
}

void ScriptedModem::answer(const Rule& rule) {
    std::this_thread::sleep_for(std::chrono::milliseconds(rule.delayMs));
    const int piece = rule.gapMs > 0 ? 1 : rule.reply.size();
    for (int at = 0; at < rule.reply.size(); at += piece) {
        if (at > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(rule.gapMs));
        const int size = qMin(piece, rule.reply.size() - at);
        for (int done = 0; done < size && !stop_;) {
            const ssize_t n =
                ::write(master_, rule.reply.constData() + at + done, size_t(size - done));
            pollfd p{master_, POLLOUT, 0};
            if (n > 0)
                done += int(n);
            else
                poll(&p, 1, 10);
        }
    }
    if (rule.hangUp) {
        ::close(master_);
        master_ = -1;
    }
}

}  // namespace testsupport
