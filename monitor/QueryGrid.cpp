#include "QueryGrid.h"

#include "Db.h"
#include "Grid.h"
#include "Text.h"

QString SqlLiteral(const QString& value) {
    return QLatin1Char('\'') + SqlQuoted(value) + QLatin1Char('\'');
}

const QStringList& StatusFlagNames() {
    static const QStringList names = {
        QStringLiteral("HRCL"), QStringLiteral("HPOS"), QStringLiteral("HROM"),
        QStringLiteral("HRAM"), QStringLiteral("SUMT"), QStringLiteral("SLPF"),
        QStringLiteral("SSPF"), QStringLiteral("SDOO"), QStringLiteral("SFAF"),
        QStringLiteral("SCOR"), QStringLiteral("SACK")};
    return names;
}

TGridColumn FieldColumn(const QString& fieldName) {
    return
        [fieldName](const TSQLClientDataSet& ds) { return ds.FieldByName(fieldName).AsString(); };
}

TGridColumn StatusColumn() {
    return [](const TSQLClientDataSet& ds) {
        QString text;
        for (const QString& f : StatusFlagNames()) text += ds.FieldByName(f).AsString();
        return text;
    };
}

void FillGridFromQuery(TfpSpread* grid, TSQLClientDataSet& dataset, const QString& sql,
                       const std::vector<TGridColumn>& columns,
                       const std::function<void()>& whileConnected) {
    TSQLConnection* connection = dataset.Connection();
    // Left open or connected, the next fill would fail on its command text or log-on.
    TQueryCleanup cleanup(dataset, true);
    dataset.SetCommandText(sql);
    if (!connection->Connected()) connection->SetConnected(true);
    if (!dataset.Active()) dataset.Open();
    {
        TReDrawOff redraw(grid);
        int row = 1;
        for (dataset.First(); !dataset.Eof(); dataset.Next(), ++row) {
            int col = 1;
            for (const TGridColumn& read : columns) {
                grid->SetRow(row);
                grid->SetCol(col++);
                grid->SetText(read(dataset));
            }
        }
    }
    dataset.Close();
    if (whileConnected) whileConnected();
    connection->SetConnected(false);
    dataset.Close();
}
