#include "ParamSet.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>

#include "Application.h"
#include "Check.h"
#include "OracleDM.h"
#include "Text.h"
#include "UiHooks.h"
#include "ui_ParamSet.h"

QString ParamGroupSql(const QString& atcId, int paraIndex) {
    const QString id = SqlQuoted(atcId);
    const QString n = QString::asprintf("%d", paraIndex);
    return QStringLiteral(
               "SELECT MAGM_TIME, PARA_INDX, PARA001_VALU, PARA002_VALU, PARA003_VALU, PARA004_VALU, "
               "PARA005_VALU, PARA006_VALU, PARA012_VALU, PARA013_VALU, PARA014_VALU, PARA016_VALU, "
               "PARA017_VALU, PARA020_VALU  FROM ATC_PARA_HIST_INFO WHERE MAGM_TIME = (     SELECT     "
               "MAX(MAGM_TIME) TM     FROM ATC_PARA_HIST_INFO     WHERE ATC_ID = '") +
           id + QStringLiteral("'     AND PARA_INDX = ") + n + QStringLiteral(" ) AND ATC_ID = '") + id +
           QStringLiteral("' AND PARA_INDX = ") + n + QStringLiteral(" ");
}

namespace {
QString Name(const char* pattern, int k) { return QString::asprintf(pattern, k); }

// The stored length of each fixed-width parameter text.
int ExpectedLength(int paraIndex) {
    switch (paraIndex) {
        case 1:
        case 2:
            return 32;
        case 4:
            return 6;
        case 5:
            return 36;
        case 6:
            return 12;
        default:
            return -1;
    }
}
bool Decodable(int paraIndex) {
    return (paraIndex >= 1 && paraIndex <= 6) || (paraIndex >= 12 && paraIndex <= 14);
}
}  // namespace

TfrmParamSet::TfrmParamSet(QWidget* owner) : QWidget(owner), ui(new Ui::TfrmParamSet) {
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    m_tree = std::make_unique<TControllerTree>(
        ui->LeafTree, TDetailStrip{ui->lblAxisNo, ui->lblCtlNo, ui->lblDetDir, ui->lblLoopDetCnt});
    m_tree->OnSelected = [this](const ::data* pData) { LoadAllParamGroups(pData); };
    connect(ui->btnClose, &QPushButton::clicked, this, Guarded([this] { btnCloseClick(); }));
    FormCreate();
}

TfrmParamSet::~TfrmParamSet() = default;

void TfrmParamSet::FormCreate() { m_tree->Build(); }

void TfrmParamSet::btnCloseClick() { close(); }

void TfrmParamSet::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfrmParamSet::FormClose() {}

void TfrmParamSet::UntickAll(QGroupBox* group) {
    for (QObject* child : group->children())
        if (auto* box = qobject_cast<QCheckBox*>(child)) box->setChecked(false);
}

void TfrmParamSet::TickCheckBox(QGroupBox* group, const QString& name) {
    for (QObject* child : group->children())
        if (auto* box = qobject_cast<QCheckBox*>(child); box && box->objectName() == name) box->setChecked(true);
}

void TfrmParamSet::SetChildText(QGroupBox* group, const QString& name, const QString& text) {
    for (QObject* child : group->children())
        if (auto* ed = qobject_cast<QLineEdit*>(child); ed && ed->objectName() == name) ed->setText(text);
}

void TfrmParamSet::ClearAllParamGroups() {
    for (unsigned index : {1u, 2u, 5u, 6u, 14u, 12u, 13u, 3u, 4u}) ClearParamGroup(index);
}

void TfrmParamSet::ClearParamGroup(unsigned paraIndex) {
    switch (paraIndex) {
        case 1:
            UntickAll(ui->grpLoop);
            break;
        case 2:
            UntickAll(ui->grpSpd);
            break;
        case 3:
            ui->edTraCollTerm->clear();
            break;
        case 4:
            ui->edCarExist->clear();
            ui->edCarNoExist->clear();
            break;
        case 5:
            for (int k = 1; k <= 12; ++k) {
                SetChildText(ui->grpSpdCat, Name("edCatF%02d", k), QString());
                SetChildText(ui->grpSpdCat, Name("edCatT%02d", k), QString());
            }
            break;
        case 6:
            for (int k = 1; k <= 3; ++k) {
                SetChildText(ui->grpCarLen, Name("edCarCatF%02d", k), QString());
                SetChildText(ui->grpCarLen, Name("edCarCatT%02d", k), QString());
            }
            break;
        case 12:
            ui->edTraVolUpLimit->clear();
            break;
        case 13:
            ui->edVelUpLimit->clear();
            break;
        case 14:
            ui->edCarLenUpLimit->clear();
            break;
        default:
            break;
    }
}

void TfrmParamSet::LoadAllParamGroups(const ::data* pData) {
    ClearAllParamGroups();
    for (int index : {1, 2, 3, 4, 5, 6, 12, 13, 14}) LoadParamGroup(pData, index);
}

void TfrmParamSet::LoadParamGroup(const ::data* pSelData, int paraIndex) {
    VDS_CHECK(pSelData != NULL);
    const QString strID = pSelData->strATC_ID;
    VDS_CHECK(!strID.isEmpty());

    TSQLClientDataSet& ds = dmOracle->dsQuery;
    QStringList problems;
    {
        TQueryCleanup cleanup(ds);
        ds.SetCommandText(ParamGroupSql(strID, paraIndex));
        if (!ds.Active()) ds.SetActive(true);
        for (ds.First(); !ds.Eof(); ds.Next()) {
            const int index = ds.FieldByName(QStringLiteral("PARA_INDX")).AsInteger();
            const QString column = QString::asprintf("PARA%03d_VALU", index);
            if (!Decodable(index)) continue;
            QString problem;
            if (!DecodeParam(index, ds.FieldByName(column).AsString(), &problem)) problems << problem;
        }
        ds.SetActive(false);
    }
    // A damaged stored value must not pass for the controller's setting: say which one.
    if (!problems.isEmpty())
        ShowMessage(QStringLiteral("제어기 %1 파라미터 %2의 저장 값을 읽을 수 없습니다: %3")
                        .arg(strID)
                        .arg(paraIndex)
                        .arg(problems.join(QStringLiteral(", "))));
}

bool TfrmParamSet::DecodeParam(int paraIndex, const QString& v, QString* problem) {
    const int expected = ExpectedLength(paraIndex);
    if (expected >= 0 && v.size() != expected) {
        *problem = QStringLiteral("길이 %1 (%2자여야 함)").arg(v.size()).arg(expected);
        return false;
    }
    switch (paraIndex) {
        case 1:
        case 2: {
            for (const QChar c : v) {
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                    *problem = QStringLiteral("숫자가 아닌 문자 '%1'").arg(c);
                    return false;
                }
            }
            QGroupBox* group = paraIndex == 1 ? ui->grpLoop : ui->grpSpd;
            const char* pattern = paraIndex == 1 ? "chkLoop%02d" : "chkSpd%02d";
            for (int k = 1; k <= 32; ++k)
                if (v.at(k - 1) == QLatin1Char('1')) TickCheckBox(group, Name(pattern, k));
            return true;
        }
        case 3:
            ui->edTraCollTerm->setText(v);
            return true;
        case 4:
            ui->edCarExist->setText(v.mid(0, 3));
            ui->edCarNoExist->setText(v.mid(3, 3));
            return true;
        case 5:
            SetChildText(ui->grpSpdCat, Name("edCatF%02d", 1), QStringLiteral("0"));
            for (int k = 1; k <= 12; ++k) {
                const QString field = v.mid(3 * k - 3, 3);
                SetChildText(ui->grpSpdCat, Name("edCatT%02d", k), field);
                SetChildText(ui->grpSpdCat, Name("edCatF%02d", k + 1), field);
            }
            return true;
        case 6:
            SetChildText(ui->grpCarLen, Name("edCarCatF%02d", 1), QStringLiteral("0"));
            for (int k = 1; k <= 3; ++k) {
                const QString field = v.mid(4 * k - 4, 4);
                SetChildText(ui->grpCarLen, Name("edCarCatT%02d", k), field);
                SetChildText(ui->grpCarLen, Name("edCarCatF%02d", k + 1), field);
            }
            return true;
        case 12:
            ui->edTraVolUpLimit->setText(v);
            return true;
        case 13:
            ui->edVelUpLimit->setText(v);
            return true;
        case 14:
            ui->edCarLenUpLimit->setText(v);
            return true;
        default:
            return true;
    }
}
