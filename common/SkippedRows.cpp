#include "SkippedRows.h"

#include <QTimer>

#include "Application.h"
#include "Convert.h"
#include "UiHooks.h"

bool TSkippedRows::Skip(const TRow& row) {
    bool damaged = false;
    for (const auto& field : row) damaged = damaged || field.second.contains(QChar(0));
    if (!damaged) return false;
    QStringList values;
    for (const auto& [name, value] : row)
        values << QStringLiteral("%1='%2'").arg(QLatin1String(name), NulVisible(value));
    m_rows << values.join(QStringLiteral(", "));
    return true;
}

QString TSkippedRows::Message() const {
    if (m_rows.isEmpty()) return {};
    return QStringLiteral("저장된 값에 NUL 문자가 있어 다음 행을 트리에 넣지 않았습니다:\n") +
           m_rows.join(QLatin1Char('\n'));
}

void TSkippedRows::Report() {
    const QString message = Message();
    m_rows.clear();
    if (!message.isEmpty()) ShowMessage(message);
}

void TSkippedRows::ReportSoon(QObject* context) {
    if (m_rows.isEmpty() || m_reportPosted) return;
    m_reportPosted = true;
    QTimer::singleShot(0, context, Guarded([this] {
                           m_reportPosted = false;
                           Report();
                       }));
}
