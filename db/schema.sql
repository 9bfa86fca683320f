-- The traffic database as the two programs read it. Column types are chosen so that the
-- programs' SQL texts run unchanged on SQLite: ids, codes and flags are text (a bare number
-- compared with a text column is taken as text), time stamps are text 'YYYY-MM-DD HH:MI:SS'.

CREATE TABLE AXLE_INFO (
    AXLE_ID        TEXT PRIMARY KEY,
    AXLE_NAME      TEXT
);

CREATE TABLE ROAD_LINK_INFO (
    LINK_ID        TEXT PRIMARY KEY,
    AXLE_ID        TEXT,
    ROAD_NUM       TEXT,
    IOFL_TYPE      TEXT,           -- '1' inflow, '2' outflow
    CROS_DIR_TYPE  TEXT            -- approach of a new-signal intersection
);
-- The controllers of one axis (the controller tree, the search by axis).
CREATE INDEX ROAD_LINK_INFO_AXLE ON ROAD_LINK_INFO (AXLE_ID);

CREATE TABLE SPOT_INFO (
    SPOT_ID        TEXT PRIMARY KEY,
    SPOT_NAME      TEXT,
    SPOT_LOCA      TEXT
);

CREATE TABLE ATC_INFO (
    ATC_ID         TEXT PRIMARY KEY,
    ATC_NUM        INTEGER,
    EQUP_TYPE      TEXT,           -- '2' VDS, '1' new signal
    OPER_STAT      TEXT,           -- 'Y' in operation
    SET_SPOT_ID    TEXT,
    ATC_VER        TEXT,
    ATC_CRTE_DATE  TEXT            -- YYYYMMDD
);
-- The controllers installed at a survey point (both trees' survey-point branches, the search).
CREATE INDEX ATC_INFO_SPOT ON ATC_INFO (SET_SPOT_ID);

CREATE TABLE OVD_INFO (
    OVD_ID         INTEGER PRIMARY KEY,
    ATC_ID         TEXT,
    LINK_ID        TEXT,
    LANE_NUM       INTEGER,
    OPER_STAT      TEXT
);
CREATE INDEX OVD_INFO_ATC ON OVD_INFO (ATC_ID);
CREATE INDEX OVD_INFO_LINK ON OVD_INFO (LINK_ID);

CREATE TABLE RESR_SPOT_INFO (
    RESR_GRUP_NUM  TEXT,
    RESR_GRUP_NAME TEXT,
    RESR_SPOT_ID   TEXT,
    RESR_NAME      TEXT
);

CREATE TABLE RESR_SPOT_CONF_INFO (
    RESR_GRUP_NUM  TEXT,
    RESR_SPOT_ID   TEXT,
    SPOT_ID        TEXT
);
-- The survey points of one group, and the groups of one survey point.
CREATE INDEX RESR_SPOT_CONF_INFO_RESR ON RESR_SPOT_CONF_INFO (RESR_SPOT_ID, RESR_GRUP_NUM);
CREATE INDEX RESR_SPOT_CONF_INFO_SPOT ON RESR_SPOT_CONF_INFO (SPOT_ID);

CREATE TABLE BASE_CODE_INFO (
    CODE_TYPE      TEXT,
    SYS_CODE       TEXT,
    SYS_CODE_NAME  TEXT,
    PRIMARY KEY (CODE_TYPE, SYS_CODE)
);

-- Newest traffic of a VDS controller, one row per direction.
CREATE TABLE ATC_NEW_TRAF_INFO (
    ATC_ID         TEXT,
    IOFL_TYPE      TEXT,
    TYPE_TIME      TEXT,
    TRAF           INTEGER,
    SPED           REAL,
    OCCU_RATE      REAL,
    TRAF_STAT      TEXT
);
CREATE INDEX ATC_NEW_TRAF_INFO_ATC ON ATC_NEW_TRAF_INFO (ATC_ID);

-- Newest traffic of a new-signal controller, one row per approach.
CREATE TABLE COSM_NEW_TRAF_INFO (
    ATC_ID         TEXT,
    CROS_DIR_TYPE  TEXT,
    TYPE_TIME      TEXT,
    SPED           REAL,
    LEFT_TRAF      INTEGER,
    STGH_TRAF      INTEGER,
    RIGH_TRAF      INTEGER
);
CREATE INDEX COSM_NEW_TRAF_INFO_ATC ON COSM_NEW_TRAF_INFO (ATC_ID);

-- Newest equipment status of a controller; '1' is the normal value of every flag.
CREATE TABLE EQUP_STAT_HIST_NEW_INFO (
    ATC_ID         TEXT,
    STAT_TIME      TEXT,
    HRCL           TEXT,
    HPOS           TEXT,
    HROM           TEXT,
    HRAM           TEXT,
    SUMT           TEXT,
    SLPF           TEXT,
    SSPF           TEXT,
    SDOO           TEXT,
    SFAF           TEXT,
    SCOR           TEXT,
    SACK           TEXT,
    COM_ERR_STAT   TEXT
);
CREATE INDEX EQUP_STAT_HIST_NEW_INFO_ATC ON EQUP_STAT_HIST_NEW_INFO (ATC_ID);

-- Parameters reported by a controller; the row with the greatest MAGM_TIME holds the current
-- value of a controller's index, in the column of that index.
CREATE TABLE ATC_PARA_HIST_INFO (
    ATC_ID         TEXT,
    PARA_INDX      INTEGER,
    MAGM_TIME      TEXT,
    PARA001_VALU   TEXT,
    PARA002_VALU   TEXT,
    PARA003_VALU   TEXT,
    PARA004_VALU   TEXT,
    PARA005_VALU   TEXT,
    PARA006_VALU   TEXT,
    PARA012_VALU   TEXT,
    PARA013_VALU   TEXT,
    PARA014_VALU   TEXT,
    PARA016_VALU   TEXT,
    PARA017_VALU   TEXT,
    PARA020_VALU   TEXT
);
CREATE INDEX ATC_PARA_HIST_INFO_ATC ON ATC_PARA_HIST_INFO (ATC_ID, PARA_INDX);

-- Management replies of a controller (threshold, communication loss, memory, echo).
CREATE TABLE OVD_MAGM_HIST_INFO (
    ATC_ID         TEXT,
    MAGM_RESP_TIME TEXT,
    THRESHOLD      INTEGER,
    ONLINE_STATUS  INTEGER,        -- seconds since communication was lost
    MEMORY         TEXT,           -- 'N' normal
    ECHO           TEXT
);
CREATE INDEX OVD_MAGM_HIST_INFO_ATC ON OVD_MAGM_HIST_INFO (ATC_ID);

-- Traffic a controller accumulated while it could not report, per lane.
CREATE TABLE ACCU_TRAF_INFO (
    ATC_ID         TEXT,
    LANE_NUM       INTEGER,
    DETC_TIME      TEXT,
    SPED           REAL,
    TRAF           INTEGER,
    OCCU_RATE      REAL,
    USED_STAT      INTEGER
);
CREATE INDEX ACCU_TRAF_INFO_ATC ON ACCU_TRAF_INFO (ATC_ID);
