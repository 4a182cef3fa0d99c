#pragma once
// Helpers of the widget tests: a settings file of the test's own, and answering a modal dialog
// that the code under test opens with exec().
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "settings/Ini.h"

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
    QByteArray bytes() const {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The value in the file, or "<missing>".
    QString value(const QString& section, const QString& key) const {
        return ReadINI(path_, section, key, QStringLiteral("<missing>"));
    }
    // The values of several keys of one section, in the order asked.
    QStringList values(const QString& section, const QStringList& keys) const {
        QStringList found;
        for (const QString& key : keys)
            found << value(section, key);
        return found;
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

}  // namespace widgettest
