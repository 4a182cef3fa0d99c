-- Pelorus tables for MySQL and MariaDB (SbType 4), in the database the settings name:
--     mariadb DATABASE < sql/mariadb.sql    (or pelorus --init-db)
-- Other software puts a message to send into Send with Status 1 (the default); the gateway writes
-- 2 (sent) or 3 (not sent) back and stores received messages in Receive.
-- The last five columns serve features that are off by default: Reference, DeliveryStatus and
-- DeliveredAt paired delivery reports ([Options] PairReports), Gateway and ClaimedUntil the
-- claims of several gateways on one table ([Options] GatewayId). A table made before them works
-- as it did while those features are off.
CREATE TABLE IF NOT EXISTS Send (
    ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    Number VARCHAR(32),
    SmsMessage TEXT,
    Status SMALLINT NOT NULL DEFAULT 1,
    Reference VARCHAR(255),
    DeliveryStatus SMALLINT,
    DeliveredAt DATETIME,
    Gateway VARCHAR(64),
    ClaimedUntil DATETIME,
    INDEX Send_Status (Status)
) CHARACTER SET utf8mb4;

CREATE TABLE IF NOT EXISTS Receive (
    ID INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    DateTime DATETIME,
    Number VARCHAR(32),
    SmsMessage TEXT
) CHARACTER SET utf8mb4;
