-- Pelorus tables for SQLite (SbType 6): sqlite3 pelorus.db < sql/sqlite.sql (or pelorus --init-db)
-- Other software puts a message to send into Send with Status 1 (the default); the gateway writes
-- 2 (sent) or 3 (not sent) back and stores received messages in Receive.
-- The last five columns serve features that are off by default: Reference, DeliveryStatus and
-- DeliveredAt paired delivery reports ([Options] PairReports), Gateway and ClaimedUntil the
-- claims of several gateways on one table ([Options] GatewayId). A table made before them works
-- as it did while those features are off.
CREATE TABLE IF NOT EXISTS Send (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    Number TEXT,
    SmsMessage TEXT,
    Status INTEGER NOT NULL DEFAULT 1,
    Reference TEXT,
    DeliveryStatus INTEGER,
    DeliveredAt TEXT,
    Gateway TEXT,
    ClaimedUntil TEXT
);
CREATE INDEX IF NOT EXISTS Send_Status ON Send (Status);

CREATE TABLE IF NOT EXISTS Receive (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    DateTime TEXT,
    Number TEXT,
    SmsMessage TEXT
);
