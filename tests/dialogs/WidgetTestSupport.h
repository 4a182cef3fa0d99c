#pragma once
// Helpers of the widget tests: a settings file of the test's own, answering a modal dialog
// that the code under test opens with exec(), and the facts an operator sees of a widget.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "settings/Ini.h"
#include "testsupport.h"

namespace widgettest {

// INIFileName points at Pelorus.ini in a scratch folder while the object lives; the file holds
// `contents`, or does not exist when none are given.
class ScratchSettings {
public:
    explicit ScratchSettings(const QByteArray& contents = QByteArray()) : previous_(INIFileName) {
        path_ = dir_.filePath(QStringLiteral("Pelorus.ini"));
        if (!contents.isNull()) {
            QFile f(path_);
            if (f.open(QIODevice::WriteOnly))
                f.write(contents);
        }
        INIFileName = path_;
        ForgetIniCache();
    }
    ~ScratchSettings() {
        INIFileName = previous_;
        ForgetIniCache();
    }
    ScratchSettings(const ScratchSettings&) = delete;
    ScratchSettings& operator=(const ScratchSettings&) = delete;

    QString path() const { return path_; }
    QString folder() const { return dir_.path(); }
    bool exists() const { return QFile::exists(path_); }
    QByteArray bytes() const { return testsupport::ReadBytes(path_); }
    // The value in the file, or "<missing>".
    QString value(const QString& section, const QString& key) const {
        return ReadINI(path_, section, key, QStringLiteral("<missing>"));
    }

private:
    QTemporaryDir dir_;
    QString previous_;
    QString path_;
};

// Runs `answer` on the next modal widget of type Dialog that opens (polled every few
// milliseconds); gives up silently after timeoutMs. Returns a flag set once answered.
template <class Dialog>
std::shared_ptr<bool> AnswerNextModal(std::function<void(Dialog*)> answer, int timeoutMs = 5000) {
    auto answered = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, deadline, answered] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            *answered = true;
            answer(dialog);
        } else if (deadline.hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return answered;
}

// Laid out in sight: shown, inside its parent and clear of its shown siblings (a widget left out
// of the layouts stays in its parent's corner, over the others).
inline bool Placed(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    if (!w->isVisible() || !parent || !parent->rect().contains(w->geometry()))
        return false;
    for (const QWidget* other : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != w && other->isVisible() && other->geometry().intersects(w->geometry()))
            return false;
    }
    return true;
}

// A fact of the widget named by objectName under `top`, asked as "what.name": checked, enabled,
// shown (not hidden within top), placed, base (a box's colour: yellow, white, face or its name),
// items (a combo box's list) or text.
inline QString WidgetFact(const QWidget* top, const QString& key) {
    const QString what = key.section(QLatin1Char('.'), 0, 0);
    const auto* w = top->findChild<QWidget*>(key.section(QLatin1Char('.'), 1));
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* combo = qobject_cast<const QComboBox*>(w);
    const auto bit = [](bool value) { return QString::number(value ? 1 : 0); };
    if (!w)
        return QStringLiteral("<no widget>");
    if (what == QLatin1String("checked"))
        return bit(button && button->isChecked());
    if (what == QLatin1String("enabled"))
        return bit(w->isEnabled());
    if (what == QLatin1String("shown"))
        return bit(w->isVisibleTo(top));
    if (what == QLatin1String("placed"))
        return bit(Placed(w));
    if (what == QLatin1String("base")) {
        const QColor base = w->palette().color(QPalette::Base);
        return base == QColor(Qt::yellow)                     ? QStringLiteral("yellow")
               : base == QColor(Qt::white)                    ? QStringLiteral("white")
               : base == w->palette().color(QPalette::Button) ? QStringLiteral("face")
                                                              : base.name();
    }
    QStringList items;
    for (int i = 0; combo && i < combo->count(); ++i)
        items << combo->itemText(i);
    if (what == QLatin1String("items"))
        return items.join(QLatin1Char(','));
    if (combo)
        return combo->currentText();
    if (button)
        return button->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return edit->text();
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (const auto* frame = qobject_cast<const QGroupBox*>(w))
        return frame->title();
    return QStringLiteral("<no fact ") + key + QLatin1Char('>');
}

// Checks a script row's facts ("key=value" parted by ";"): ini.SECTION/KEY is the settings file's
// value, any other key is `fact`'s; "$folder" in a value stands for the settings folder.
inline void ExpectFacts(const QString& facts, const ScratchSettings& settings,
                        const std::function<QString(const QString&)>& fact) {
    for (const QString& item : facts.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString key = item.section(QLatin1Char('='), 0, 0);
        const QString shown = key.startsWith(QLatin1String("ini."))
                                  ? settings.value(key.mid(4).section(QLatin1Char('/'), 0, 0),
                                                   key.section(QLatin1Char('/'), 1))
                                  : fact(key);
        QString expected = item.section(QLatin1Char('='), 1);
        expected.replace(QLatin1String("$folder"), settings.folder());
        EXPECT_EQ(shown.toStdString(), expected.toStdString()) << key.toStdString();
    }
}

}  // namespace widgettest
