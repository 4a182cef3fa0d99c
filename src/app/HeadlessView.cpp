#include "app/HeadlessView.h"

#include "app/CycleCountdown.h"
#include "files/AlarmLamps.h"

namespace {
QString ColourName(quint32 colour) {
    if (colour == AlarmLamps::kRed)
        return QStringLiteral("red");
    if (colour == AlarmLamps::kGreen)
        return QStringLiteral("green");
    return QStringLiteral("off");
}
}  // namespace

HeadlessView::HeadlessView(QTextStream& out, bool adoptPhoneCentre, bool terminal)
    : out_(out), adoptPhoneCentre_(adoptPhoneCentre), terminal_(terminal) {}

void HeadlessView::Print(const QString& line) {
    if (statusOpen_)
        out_ << '\n';
    statusOpen_ = false;
    out_ << line << '\n';
    out_.flush();
}

bool HeadlessView::IsSecondText(const QString& status) {
    static const QString countdown = CycleCountdown::CountdownText(0).chopped(1);
    static const QString pause = QStringLiteral("Пауза при ошибке ADO!!!");
    bool number = false;
    status.toInt(&number);
    return status.startsWith(countdown) || status == pause || number;
}

void HeadlessView::showStatus(const QString& text) {
    const bool second = IsSecondText(text);
    if (terminal_) {
        // Carriage return and erase to the line's end: the status line is rewritten in place.
        out_ << "\r\x1b[KStatus: " << text;
        out_.flush();
        statusOpen_ = true;
    } else if (!(second && lastWasSecond_)) {
        Print(QStringLiteral("Status: ") + text);
    }
    lastWasSecond_ = second;
}

void HeadlessView::PrintList(const QString& caption, const QStringList& lines, QStringList& last) {
    if (lines == last)
        return;
    last = lines;
    Print(caption + QStringLiteral(" (") + QString::number(lines.size()) + QLatin1Char(')'));
    for (const QString& line : lines)
        Print(QStringLiteral("    ") + line);
}

void HeadlessView::showReceived(const QStringList& lines) {
    PrintList(QStringLiteral("Принятые сообщения:"), lines, received_);
}

void HeadlessView::showSending(const QStringList& lines) {
    PrintList(QStringLiteral("Сообщения на отправку:"), lines, sending_);
}

void HeadlessView::showBatteryLevel(int level) {
    Print(QStringLiteral("Battery: ") + QString::number(level));
}

void HeadlessView::showAntennaLevel(int level) {
    Print(QStringLiteral("Signal: ") + QString::number(level));
}

QString HeadlessView::LampsText(const AlarmLamps& lamps) {
    static const QString groups[AlarmLamps::kGroups] = {
        QStringLiteral("ADO"), QStringLiteral("Телефон"), QStringLiteral("Файлы")};
    QStringList parts;
    for (int g = 0; g < AlarmLamps::kGroups; ++g)
        parts << groups[g] + QLatin1Char(' ') + ColourName(lamps.colour(2 * g)) + QLatin1Char('/') +
                     ColourName(lamps.colour(2 * g + 1));
    return parts.join(QStringLiteral(", "));
}

void HeadlessView::showLamps(const AlarmLamps& lamps) {
    const QString text = LampsText(lamps);
    if (text == lamps_)
        return;
    lamps_ = text;
    Print(QStringLiteral("Lamps: ") + text);
}

bool HeadlessView::askYesNo(const QString& title, const QString& text) {
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    Print(QStringLiteral("Question: ") + title + QLatin1Char(' ') + oneLine.simplified());
    Print(QStringLiteral("Answer: ") +
          (adoptPhoneCentre_ ? QStringLiteral("Yes") : QStringLiteral("No")));
    return adoptPhoneCentre_;
}

void HeadlessView::showMessage(const QString& title, const QString& text) {
    Print(QStringLiteral("Message: ") + title + QStringLiteral(": ") + text);
}

void HeadlessView::closeWindow() {
    Print(QStringLiteral("Stopped."));
    if (onClose)
        onClose();
}

void HeadlessView::logWritten(const QString& line) {
    Print(QStringLiteral("Log: ") + line);
}
