#pragma once
// The two message records that carry messages between the phone, the codec and the database.
// Fields sit behind property pairs named like the field; the properties only store and return.
#include <QString>

// A row of the send table on its way to the phone.
class MsgToSend {
public:
    // Status values of a record and of the send table's Status column.
    enum : qint32 {
        StatusWaitingInTable = 1,  // table: waiting to be sent
        StatusSent = 2,            // record and table: the phone accepted every part
        StatusNotSent = 3,         // table: the attempts ran out
        StatusLoaded = 4,          // record: loaded, waiting to be sent (again)
        StatusWrittenBack = 5,     // record: the table has its final status
        StatusRefused = 6,         // record: can never be sent; written back as 3 at once
    };

    qint16 ValPeriod() const { return valPeriod_; }
    void setValPeriod(qint16 v) { valPeriod_ = v; }
    qint16 SendAttempts() const { return sendAttempts_; }
    void setSendAttempts(qint16 v) { sendAttempts_ = v; }
    qint32 Status() const { return status_; }
    void setStatus(qint32 v) { status_ = v; }
    const QString& MsgText() const { return msgText_; }
    void setMsgText(const QString& v) { msgText_ = v; }
    const QString& Phone() const { return phone_; }
    void setPhone(const QString& v) { phone_ = v; }
    const QString& MsgID() const { return msgID_; }
    void setMsgID(const QString& v) { msgID_ = v; }

private:
    qint16 valPeriod_ = 0;
    qint16 sendAttempts_ = 0;
    qint32 status_ = 0;
    QString msgText_;
    QString phone_;
    QString msgID_;
};

// A message read from the phone on its way to the receive table.
class ReceivedMsg {
public:
    // Phone field of a message that has been deleted from the phone.
    static QString DeletedMark() { return QStringLiteral("xxxxxxxxxxx"); }

    bool IsCommand() const { return isCommand_; }
    void setIsCommand(bool v) { isCommand_ = v; }
    qint16 WriteCounter() const { return writeCounter_; }
    void setWriteCounter(qint16 v) { writeCounter_ = v; }
    bool WrittenToDbase() const { return writtenToDbase_; }
    void setWrittenToDbase(bool v) { writtenToDbase_ = v; }
    const QString& MsgID() const { return msgID_; }
    void setMsgID(const QString& v) { msgID_ = v; }
    const QString& MsgText() const { return msgText_; }
    void setMsgText(const QString& v) { msgText_ = v; }
    const QString& Phone() const { return phone_; }
    void setPhone(const QString& v) { phone_ = v; }
    const QString& DateTime() const { return dateTime_; }
    void setDateTime(const QString& v) { dateTime_ = v; }

private:
    bool isCommand_ = false;
    qint16 writeCounter_ = 0;
    bool writtenToDbase_ = false;
    QString msgID_;
    QString msgText_;
    QString phone_;
    QString dateTime_;
};
