#include "InfoReq.h"

#include "Application.h"
#include "Grid.h"
#include "Link.h"
#include "OracleDM.h"
#include "Text.h"
#include "UiHooks.h"
#include "WorkThread.h"
#include "ui_InfoReq.h"

namespace {
constexpr int kArrivalWaitMs = 5000;
const char* const kColumns[] = {"ROAD_NUM", "ATC_NUM",   "SPOT_LOCA", "DETC_TIME", "ISPED",
                                "ITRAF",    "IOCCURATE", "OSPED",     "OTRAF",     "OOCCURATE"};
}  // namespace

TfrmInfoReq::TfrmInfoReq(QWidget* owner) : TCommandForm(owner), ui(new Ui::TfrmInfoReq) {
    ui->setupUi(this);
    ui->fpSpread1->SetHeaders({QStringLiteral("도로번호"), QStringLiteral("제어기번호"),
                               QStringLiteral("설치 위치"), QStringLiteral("검지 시각"),
                               QStringLiteral("유입 속도"), QStringLiteral("유입 교통량"),
                               QStringLiteral("유입 점유율"), QStringLiteral("유출속도"),
                               QStringLiteral("유출 교통량"), QStringLiteral("유출 점유율")});
    ui->fpSpread1->SetMaxRows(500);
    SetUpCommandForm(ui->LeafTree,
                     TDetailStrip{ui->lblAxisNo, ui->lblCtlNo, ui->lblDetDir, ui->lblLoopDetCnt},
                     ui->btnClose);
    connect(ui->btnInfoReq, &QPushButton::clicked, this, Guarded([this] { btnInfoReqClick(); }));
    FormCreate();
}

TfrmInfoReq::~TfrmInfoReq() = default;

TfpSpread* TfrmInfoReq::Grid() const {
    return ui->fpSpread1;
}

void TfrmInfoReq::btnInfoReqClick() {
    TCommandRun run(this, ui->btnInfoReq);
    // The other windows' routines wait until this exchange, its wait and its read are done.
    TCommandSection section;
    const int status = SendAccuTrafRequest();
    ui->fpSpread1->DeleteRows(1, ui->fpSpread1->MaxRows());
    if (status == 0 && pCurSel() && !pCurSel()->strATC_ID.isEmpty()) {
        Sleep(kArrivalWaitMs);
        FillAccuTrafGrid(pCurSel()->strATC_ID);
    }
}

int TfrmInfoReq::SendAccuTrafRequest() {
    const auto result = ExchangeWithSelected(pCurSel(), nSocket, opAccuTraf, 0);
    if (!result) return -1;
    if (*result != TExchangeResult::Accepted) {
        ShowMessage(QStringLiteral("축적 데이터 요청  fail "));
        return -1;
    }
    ShowMessage(QStringLiteral("축적 데이터 요청 success"));
    return 0;
}

void TfrmInfoReq::FillAccuTrafGrid(const QString& atcId) {
    TfpSpread* grid = ui->fpSpread1;
    {
        TReDrawOff redraw(grid);
        int r = 1;
        RunQuery(
            dmOracle->dsQuery, AccuTrafSql(atcId), TLogOn::Kept, [&](const TSQLClientDataSet& ds) {
                int c = 1;
                for (const char* column : kColumns) {
                    const QString value = ds.FieldByName(QString::fromLatin1(column)).AsString();
                    grid->SetRow(r);
                    grid->SetCol(c++);
                    grid->SetText(value);
                }
                ++r;
            });
    }
    grid->WidenColumnsToFit();
}
