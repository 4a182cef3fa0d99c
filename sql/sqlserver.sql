-- Pelorus tables for SQL Server (SbType 2 and 3), in the database the settings name:
--     sqlcmd -d DATABASE -i sql/sqlserver.sql    (or pelorus --init-db)
-- Other software puts a message to send into Send with Status 1 (the default); the gateway writes
-- 2 (sent) or 3 (not sent) back and stores received messages in Receive.
-- The last five columns serve features that are off by default: Reference, DeliveryStatus and
-- DeliveredAt paired delivery reports ([Options] PairReports), Gateway and ClaimedUntil the
-- claims of several gateways on one table ([Options] GatewayId). A table made before them works
-- as it did while those features are off.
IF OBJECT_ID(N'Send', N'U') IS NULL
CREATE TABLE Send (
    ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY,
    Number NVARCHAR(32),
    SmsMessage NVARCHAR(MAX),
    Status SMALLINT NOT NULL CONSTRAINT DF_Send_Status DEFAULT 1,
    Reference NVARCHAR(255),
    DeliveryStatus SMALLINT,
    DeliveredAt DATETIME,
    Gateway NVARCHAR(64),
    ClaimedUntil DATETIME
);
GO
IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = N'Send_Status')
CREATE INDEX Send_Status ON Send (Status);
GO
IF OBJECT_ID(N'Receive', N'U') IS NULL
CREATE TABLE Receive (
    ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY,
    DateTime DATETIME,
    Number NVARCHAR(32),
    SmsMessage NVARCHAR(MAX)
);
GO
