#include "app/HeadlessView.h"

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

HeadlessView::HeadlessView(QTextStream& out, bool adoptPhoneCentre)
    : out_(out), adoptPhoneCentre_(adoptPhoneCentre) {}

void HeadlessView::Print(const QString& line) {
    out_ << line << '\n';
    out_.flush();
}

void HeadlessView::showStatus(const QString& text) {
    Print(QStringLiteral("Status: ") + text);
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
