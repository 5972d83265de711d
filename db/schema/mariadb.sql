-- Counting-centre database, shared multi-station form (MariaDB, run with
-- lower_case_table_names=1 so that identifiers match in any letter case).
-- Every statement creates only what is missing, so running the file again changes nothing.
-- Every table has a primary key, which a Galera cluster needs to replicate row changes; where the
-- station's columns are not unique, a surrogate key that the station never names comes last.
-- Batch, image and seal rows are system-versioned: every change and every deletion keeps the row
-- as it was, with the time it stopped being current (lindhollow-admin history shows them). The
-- triggers that confine each station account to its own station's rows, and keep its closed
-- batches as they were closed, are made by lindhollow-admin after this file, for every station
-- table present.

-- The surrogate keys below are added to tables that may already keep their history.
SET SESSION system_versioning_alter_history = KEEP;

CREATE TABLE IF NOT EXISTS Batches (
    SystemID         SMALLINT NOT NULL,
    BatchNo          SMALLINT NOT NULL,
    StartTime        DATETIME NULL,
    UserID           VARCHAR(64) NULL,
    EndTime          DATETIME NULL,
    ImageCount       INT NULL,
    BallotCount      INT NULL,
    ACCEPTED         INT NULL,
    REJECTED         INT NULL,
    DELETED          INT NULL,
    HAVEWRITEINS     INT NULL,
    WAITINGREPAIR    INT NULL,
    WAITINGDUPE      INT NULL,
    HAVEBEENREPAIRED INT NULL,
    HAVEBEENDUPED    INT NULL,
    WRITEINSCHECK    INT NULL,
    PRIMARY KEY (SystemID, BatchNo)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 WITH SYSTEM VERSIONING;

-- Image rows are looked up by station and batch only (storage, tallies, deletion).
CREATE TABLE IF NOT EXISTS BallotImages (
    SystemID    SMALLINT NOT NULL,
    BatchNo     SMALLINT NOT NULL,
    ImageSeq    INT NULL,
    BallotSN    INT NULL,
    Status      SMALLINT NULL,
    Error       SMALLINT NULL,
    HasWriteIns SMALLINT NOT NULL DEFAULT 0,
    Repaired    SMALLINT NOT NULL DEFAULT 0,
    Duped       SMALLINT NOT NULL DEFAULT 0,
    WriteIn     SMALLINT NOT NULL DEFAULT 0,
    ImageRowKey BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    INDEX BallotImagesByBatch (SystemID, BatchNo, ImageSeq)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 WITH SYSTEM VERSIONING;

-- The SHA-256 (hex, lower case) of each stored image's file, as the scanner wrote it.
CREATE TABLE IF NOT EXISTS ImageSeals (
    SystemID SMALLINT NOT NULL,
    BatchNo  SMALLINT NOT NULL,
    ImageSeq INT      NOT NULL,
    BallotSN INT      NOT NULL,
    SHA256   CHAR(64) NOT NULL,
    PRIMARY KEY (SystemID, BatchNo, ImageSeq)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 WITH SYSTEM VERSIONING;

-- The bytes of each stored image's file, beside its seal: the centre keeps the evidence, so a
-- station's disk is no single copy. Stored in the same transaction as the batch's image rows.
CREATE TABLE IF NOT EXISTS ImageFiles (
    SystemID  SMALLINT NOT NULL,
    BatchNo   SMALLINT NOT NULL,
    ImageSeq  INT      NOT NULL,
    SHA256    CHAR(64) NOT NULL,
    ImageData LONGBLOB NOT NULL,
    PRIMARY KEY (SystemID, BatchNo, ImageSeq)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- One row per station; nothing enforces it, the station keeps it so.
CREATE TABLE IF NOT EXISTS SystemStatus (
    SYSTEMID    SMALLINT NOT NULL,
    SYSTEMTYPE  SMALLINT NULL,
    USERID      VARCHAR(64) NULL,
    STATUS      VARCHAR(16) NULL,
    CURRENTTASK VARCHAR(16) NULL,
    StatusRowKey INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    INDEX SystemStatusByStation (SYSTEMID)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Tables made before the surrogate keys get them, their rows numbered as they stand.
ALTER TABLE BallotImages ADD COLUMN IF NOT EXISTS
    ImageRowKey BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY;
ALTER TABLE SystemStatus ADD COLUMN IF NOT EXISTS
    StatusRowKey INT NOT NULL AUTO_INCREMENT PRIMARY KEY;

-- Operators log in with their identifier in any letter case; passwords match exactly.
CREATE TABLE IF NOT EXISTS Users (
    UserID         VARCHAR(64) NOT NULL COLLATE utf8mb4_general_ci PRIMARY KEY,
    Password       VARCHAR(64) NOT NULL COLLATE utf8mb4_bin,
    PrivilegeLevel INT NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- Anchors of the stations' audit logs: each the log id, sequence number, hash and line of a
-- log's latest record (no line in anchors made before they carried it). Station accounts may only
-- add them. The server, not the station, says who added an anchor and when (UTC).
CREATE TABLE IF NOT EXISTS AuditAnchors (
    SystemID   SMALLINT NOT NULL,
    LogID      CHAR(32) NOT NULL,
    Sequence   BIGINT NOT NULL,
    Hash       CHAR(64) NOT NULL,
    AnchoredAt DATETIME NOT NULL,
    Account    VARCHAR(128) NOT NULL,
    AnchorKey  BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    RecordLine TEXT NULL,
    INDEX AuditAnchorsByStation (SystemID, LogID, Sequence)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
ALTER TABLE AuditAnchors ADD COLUMN IF NOT EXISTS RecordLine TEXT NULL;
CREATE TRIGGER IF NOT EXISTS AuditAnchorsAccount BEFORE INSERT ON AuditAnchors FOR EACH ROW
    SET NEW.Account = SESSION_USER(), NEW.AnchoredAt = UTC_TIMESTAMP();

-- What administrators did with lindhollow-admin: operators, station accounts and the schema. Time
-- in UTC; the account as the server knows it. Station accounts are given nothing of it.
CREATE TABLE IF NOT EXISTS AdminLog (
    AdminLogKey BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    LoggedAt    DATETIME NOT NULL,
    Account     VARCHAR(128) NOT NULL,
    Command     VARCHAR(64) NOT NULL,
    Target      VARCHAR(255) NULL,
    Outcome     VARCHAR(255) NOT NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

-- The centre's backups (lindhollow-backup): a row when one is taken and when one is verified.
-- Only the backup account may add rows, and nobody changes them; the monitor reads them. The
-- server, not the backup command, says when (UTC) and by whom.
CREATE TABLE IF NOT EXISTS Backups (
    BackupName    VARCHAR(64) NOT NULL,
    Kind          VARCHAR(16) NOT NULL,
    Event         VARCHAR(16) NOT NULL,
    PeriodMinutes INT NOT NULL,
    SourceServer  VARCHAR(255) NOT NULL,
    Gtid          VARCHAR(255) NULL,
    Bytes         BIGINT NOT NULL,
    RecordedAt    DATETIME NOT NULL,
    Account       VARCHAR(128) NOT NULL,
    BackupKey     BIGINT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    INDEX BackupsByKind (Kind, Event, RecordedAt)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
CREATE TRIGGER IF NOT EXISTS BackupsAccount BEFORE INSERT ON Backups FOR EACH ROW
    SET NEW.Account = SESSION_USER(), NEW.RecordedAt = UTC_TIMESTAMP();

-- What the centre monitor reads on every refresh: the open batches, those closed lately and the
-- totals (covered by BatchesByEndTime), and each station's latest batch start and end.
CREATE INDEX IF NOT EXISTS BatchesByEndTime ON Batches
    (EndTime, BallotCount, ImageCount, WAITINGREPAIR, DELETED);
CREATE INDEX IF NOT EXISTS BatchesByStationStart ON Batches (SystemID, StartTime);
CREATE INDEX IF NOT EXISTS BatchesByStationEnd ON Batches (SystemID, EndTime);
