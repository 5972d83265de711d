-- Counting-centre database, embedded single-station form (SQLite).
-- Every statement creates only what is missing, so running the file again changes nothing.
-- The tables have the primary keys of the MariaDB form: where the station's columns are not
-- unique, a surrogate key that the station never names comes last. A table made before those
-- keys keeps its rowid as its key: SQLite cannot add a primary key to a table, and its rowid
-- already tells every row apart.

CREATE TABLE IF NOT EXISTS Batches (
    SystemID         INTEGER NOT NULL,
    BatchNo          INTEGER NOT NULL,
    StartTime        DATETIME,
    UserID           TEXT,
    EndTime          DATETIME,
    ImageCount       INTEGER,
    BallotCount      INTEGER,
    ACCEPTED         INTEGER,
    REJECTED         INTEGER,
    DELETED          INTEGER,
    HAVEWRITEINS     INTEGER,
    WAITINGREPAIR    INTEGER,
    WAITINGDUPE      INTEGER,
    HAVEBEENREPAIRED INTEGER,
    HAVEBEENDUPED    INTEGER,
    WRITEINSCHECK    INTEGER,
    PRIMARY KEY (SystemID, BatchNo)
);

-- Image rows are looked up by station and batch only (storage, tallies, deletion).
CREATE TABLE IF NOT EXISTS BallotImages (
    SystemID    INTEGER NOT NULL,
    BatchNo     INTEGER NOT NULL,
    ImageSeq    INTEGER,
    BallotSN    INTEGER,
    Status      INTEGER,
    Error       INTEGER,
    HasWriteIns INTEGER NOT NULL DEFAULT 0,
    Repaired    INTEGER NOT NULL DEFAULT 0,
    Duped       INTEGER NOT NULL DEFAULT 0,
    WriteIn     INTEGER NOT NULL DEFAULT 0,
    ImageRowKey INTEGER PRIMARY KEY
);
CREATE INDEX IF NOT EXISTS BallotImagesByBatch ON BallotImages (SystemID, BatchNo, ImageSeq);

-- The SHA-256 (hex, lower case) of each stored image's file, as the scanner wrote it.
CREATE TABLE IF NOT EXISTS ImageSeals (
    SystemID INTEGER NOT NULL,
    BatchNo  INTEGER NOT NULL,
    ImageSeq INTEGER NOT NULL,
    BallotSN INTEGER NOT NULL,
    SHA256   TEXT    NOT NULL,
    PRIMARY KEY (SystemID, BatchNo, ImageSeq)
);

-- The bytes of each stored image's file, beside its seal.
CREATE TABLE IF NOT EXISTS ImageFiles (
    SystemID  INTEGER NOT NULL,
    BatchNo   INTEGER NOT NULL,
    ImageSeq  INTEGER NOT NULL,
    SHA256    TEXT    NOT NULL,
    ImageData BLOB    NOT NULL,
    PRIMARY KEY (SystemID, BatchNo, ImageSeq)
);

-- One row per station; nothing enforces it, the station keeps it so.
CREATE TABLE IF NOT EXISTS SystemStatus (
    SYSTEMID    INTEGER NOT NULL,
    SYSTEMTYPE  INTEGER,
    USERID      TEXT,
    STATUS      TEXT,
    CURRENTTASK TEXT,
    StatusRowKey INTEGER PRIMARY KEY
);
CREATE INDEX IF NOT EXISTS SystemStatusByStation ON SystemStatus (SYSTEMID);

-- Operators log in with their identifier in any letter case; passwords match exactly.
CREATE TABLE IF NOT EXISTS Users (
    UserID         TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
    Password       TEXT NOT NULL COLLATE BINARY,
    PrivilegeLevel INTEGER
);

-- Anchors of the stations' audit logs: each the log id, sequence number, hash and line of a
-- log's latest record (no line in anchors made before they carried it; lindhollow-admin adds the
-- column to an older table). Account is the operating-system account that the station ran under,
-- as the station tells it: an SQLite file has no accounts of its own.
CREATE TABLE IF NOT EXISTS AuditAnchors (
    SystemID   INTEGER NOT NULL,
    LogID      TEXT NOT NULL,
    Sequence   INTEGER NOT NULL,
    Hash       TEXT NOT NULL,
    AnchoredAt DATETIME NOT NULL,
    Account    TEXT NOT NULL,
    AnchorKey  INTEGER PRIMARY KEY,
    RecordLine TEXT
);
CREATE INDEX IF NOT EXISTS AuditAnchorsByStation ON AuditAnchors (SystemID, LogID, Sequence);

-- What the centre monitor reads on every refresh: the open batches, those closed lately and the
-- totals (covered by BatchesByEndTime), and each station's latest batch start and end.
CREATE INDEX IF NOT EXISTS BatchesByEndTime ON Batches
    (EndTime, BallotCount, ImageCount, WAITINGREPAIR, DELETED);
CREATE INDEX IF NOT EXISTS BatchesByStationStart ON Batches (SystemID, StartTime);
CREATE INDEX IF NOT EXISTS BatchesByStationEnd ON Batches (SystemID, EndTime);
