// The check of the database server and the phone run by Start and by every re-initialisation,
// and the copy of the database settings into the gateway object.
#include "app/Gateway.h"
#include "db/AdoClass.h"
#include "files/FileFolder.h"
#include "files/LogTexts.h"
#include "phone/MobilePhone.h"
#include "settings/Settings.h"

namespace {
constexpr int kCheckWaitMs = 200;
}  // namespace

void Gateway::LoadDbSettings() {
    database_->setServerName(ReadSetting(Setting::ServerName));
    database_->setDbaseName(ReadSetting(Setting::ServerDbName));
    database_->setUser(ReadSetting(Setting::ServerUser));
    database_->setPWD(ReadSetting(Setting::ServerPwd));
    database_->setTableReceive(ReadSetting(Setting::ServerTableReceive));
    database_->setTableSend(ReadSetting(Setting::ServerTableSend));
}

bool Gateway::CheckPhone() {
    LoadDbSettings();
    Show(QStringLiteral("Проверка подключения к серверу"));
    pacer_.pause(kCheckWaitMs);
    database_->setLogFolder(folder_->LogFolder());
    if (database_->Connect()) {
        Show(QStringLiteral("Проверка подключения к серверу. OK"));
        pacer_.pause(kCheckWaitMs);
        Show(QStringLiteral("Соединение с сервером проверено."));
    } else {
        Show(QStringLiteral("Проверка подключения к серверу. Ошибка."));
        pacer_.pause(kCheckWaitMs);
        Show(QStringLiteral("Соединение с сервером не установлено."));
    }
    database_->CloseConnection();

    Show(QStringLiteral("Проверка подключения к телефону"));
    pacer_.pause(kCheckWaitMs);
    phone_->setPortNumber(ReadSetting(Setting::PhoneComPort));
    phone_->setPortSpeed(ReadSetting(Setting::PhoneComPortSpeed));
    smsc_ = ReadSetting(Setting::SmsSMSC);
    period_ = static_cast<qint16>(SettingNumber(Setting::PhonePeriod));

    bool answered = false;
    if (!phone_->PortOpen()) {
        Show(QStringLiteral("Проверка подключения к телефону. Ошибка."));
        pacer_.pause(kCheckWaitMs);
        Show(QStringLiteral("Порт не открыт!"));
        WriteLog(LogTexts::kCantOpenPortCheckPhone);
    } else if (phone_->Init()) {
        Show(QStringLiteral("Найден телефон: '") + phone_->Model() + QLatin1Char('\''));
        pacer_.letEventsRun();
        view_.showBatteryLevel(phone_->BatteryLevel());
        pacer_.letEventsRun();
        view_.showAntennaLevel(phone_->AntennaLevel());
        for (int i = 0; i < 2; ++i) {
            pacer_.sleepMs(1000);
            pacer_.letEventsRun();
        }
        const QString phoneCentre = phone_->SMSCnumber();
        const QString settingsCentre = ReadSetting(Setting::SmsSMSCForCompare);
        if (!phoneCentre.isEmpty() && phoneCentre != settingsCentre) {
            const QString question =
                QStringLiteral("Номер SMS центра телефона: ") + phoneCentre +
                QStringLiteral(
                    "\nне совпадает с номером SMS центра, указанным в настройках "
                    "программы: ") +
                settingsCentre +
                QStringLiteral("\n\nИсправить номер SMS центра в настройках программы?");
            if (view_.askYesNo(QStringLiteral("Несовпадение номера SMS центра!"), question))
                WriteSetting(Setting::SmsSMSC, phoneCentre);
        }
        answered = true;
    } else {
        Show(QStringLiteral("Проверка подключения к телефону. Ошибка."));
        pacer_.pause(kCheckWaitMs);
        Show(QStringLiteral("Порт открыт, но телефон не отвечает на запрос."));
        WriteLog(LogTexts::kNoAnswerCheckPhone);
    }
    pacer_.sleepMs(1000);
    phone_->ClosePort();
    return answered;
}
