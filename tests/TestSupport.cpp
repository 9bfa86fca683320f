#include "TestSupport.h"

#include "SqlScript.h"

QString SourcePath(const QString& relative) {
    return QStringLiteral(VDS_SOURCE_DIR) + QLatin1Char('/') + relative;
}

TTempDatabase::TTempDatabase() {
    m_path = m_dir.filePath(QStringLiteral("test.db"));
    const QString error = RunSqlFile(m_path, SourcePath(QStringLiteral("db/schema.sql")));
    if (!error.isEmpty()) qFatal("schema: %s", qPrintable(error));
}

QString TTempDatabase::Exec(const QString& sql) const { return RunSqlScript(m_path, sql); }

void TTempDatabase::Load(const QString& sql) const {
    const QString error = Exec(sql);
    if (!error.isEmpty()) qFatal("fixture: %s", qPrintable(error));
}

void TTempDatabase::Empty() const {
    Load(QStringLiteral(
        "DELETE FROM AXLE_INFO; DELETE FROM ROAD_LINK_INFO; DELETE FROM SPOT_INFO;"
        "DELETE FROM ATC_INFO; DELETE FROM OVD_INFO; DELETE FROM RESR_SPOT_INFO;"
        "DELETE FROM RESR_SPOT_CONF_INFO; DELETE FROM BASE_CODE_INFO; DELETE FROM ATC_NEW_TRAF_INFO;"
        "DELETE FROM COSM_NEW_TRAF_INFO; DELETE FROM EQUP_STAT_HIST_NEW_INFO;"
        "DELETE FROM ATC_PARA_HIST_INFO; DELETE FROM OVD_MAGM_HIST_INFO; DELETE FROM ACCU_TRAF_INFO;"));
}

TMessageRecorder::TMessageRecorder() {
    m_previous = SetMessageHook([this](const QString& text) {
        messages.append(text);
        if (whileOpen) whileOpen(text);
    });
}

TMessageRecorder::~TMessageRecorder() { SetMessageHook(m_previous); }

TSleepRecorder::TSleepRecorder() {
    m_previous = SetSleepHook([this](int ms) { waits.append(ms); });
}

TSleepRecorder::~TSleepRecorder() { SetSleepHook(m_previous); }
