#include "ParamSet.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "Application.h"
#include "ButtonHold.h"
#include "Check.h"
#include "CommandExchange.h"
#include "Convert.h"
#include "Link.h"
#include "OracleDM.h"
#include "Text.h"
#include "UiHooks.h"
#include "ui_ParamSet.h"

using namespace Qt::StringLiterals;

namespace {
QString Name(const char* pattern, int k) {
    return QString::asprintf(pattern, k);
}

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
constexpr int kUploadWaitMs = 1000;

// A typed value the controller cannot take; the operator is told, nothing is sent.
class EValueRefused : public std::runtime_error {
public:
    explicit EValueRefused(const QString& message) : std::runtime_error(message.toStdString()) {}
};

unsigned char LowByte(const QString& text) {
    return static_cast<unsigned char>(StrToInt(text) & 0xFF);
}

bool Decodable(int paraIndex) {
    return (paraIndex >= 1 && paraIndex <= 6) || (paraIndex >= 12 && paraIndex <= 14);
}
}  // namespace

struct TfrmParamSet::TGroup {
    int index;
    QPushButton* up;
    QPushButton* dn;
    bool dnDisabled;  // the DN button is held disabled during its exchange
    QString text;     // the group's name in the result messages
};

TfrmParamSet::TfrmParamSet(QWidget* owner) : TCommandForm(owner), ui(new Ui::TfrmParamSet) {
    ui->setupUi(this);
    m_groups = {
        {1, ui->btnLoopUp, ui->btnLoopDn, false, u"루프검지기 설정"_s},
        {2, ui->btnSpdUp, ui->btnSpdDn, false, u"속도루프 설정"_s},
        {3, ui->btnTraVolColTermUp, ui->btnTraVolColTermDn, true, u"교통량 수집 주기"_s},
        {4, ui->btnCarRespTimeDefUp, ui->btnCarRespTimeDefDn, true, u"차량 감응시간 정의"_s},
        {5, ui->btnSpdCatUp, ui->btnSpdCatDn, false, u"속도 카테고리 분류"_s},
        {6, ui->btnCarLenUp, ui->btnCarLenDn, true, u"차량길이 카테고리 분류"_s},
        {12, ui->btnTraVolUpLimitUp, ui->btnTraVolUpLimitDn, true, u"교통량 상한치 설정"_s},
        {13, ui->btnCarSpdUpLimitUp, ui->btnCarSpdUpLimitDn, true, u"차량속도 상한치 설정"_s},
        {14, ui->btnCarLenUpLimitUp, ui->btnCarLenUpLimitDn, true, u"차량길이 상한치 설정"_s},
    };
    SetUpCommandForm(ui->LeafTree,
                     TDetailStrip{ui->lblAxisNo, ui->lblCtlNo, ui->lblDetDir, ui->lblLoopDetCnt},
                     ui->btnClose);
    Tree().OnSelected = [this](const ::data* pData) { LoadAllParamGroups(pData); };
    ConnectButtons();
    FormCreate();
}

void TfrmParamSet::ConnectButtons() {
    using T = TfrmParamSet;
    const struct {
        int index;
        void (T::*up)();
        void (T::*dn)();
    } handlers[] = {
        {1, &T::btnLoopUpClick, &T::btnLoopDnClick},
        {2, &T::btnSpdUpClick, &T::btnSpdDnClick},
        {3, &T::btnTraVolColTermUpClick, &T::btnTraVolColTermDnClick},
        {4, &T::btnCarRespTimeDefUpClick, &T::btnCarRespTimeDefDnClick},
        {5, &T::btnSpdCatUpClick, &T::btnSpdCatDnClick},
        {6, &T::btnCarLenUpClick, &T::btnCarLenDnClick},
        {12, &T::btnTraVolUpLimitUpClick, &T::btnTraVolUpLimitDnClick},
        {13, &T::btnCarSpdUpLimitUpClick, &T::btnCarSpdUpLimitDnClick},
        {14, &T::btnCarLenUpLimitUpClick, &T::btnCarLenUpLimitDnClick},
    };
    for (const auto& h : handlers)
        ConnectHandlers(this, &QAbstractButton::clicked,
                        {{Up(h.index), h.up}, {Dn(h.index), h.dn}});
}

QPushButton* TfrmParamSet::Up(int paraIndex) const {
    return Group(paraIndex).up;
}

QPushButton* TfrmParamSet::Dn(int paraIndex) const {
    return Group(paraIndex).dn;
}

const TfrmParamSet::TGroup& TfrmParamSet::Group(int paraIndex) const {
    for (const TGroup& g : m_groups)
        if (g.index == paraIndex) return g;
    throw TCheckError("known parameter index", __FILE__, __LINE__);
}

void TfrmParamSet::UploadWork(int paraIndex) {
    const TGroup& g = Group(paraIndex);
    TButtonHold hold(g.up);
    const auto result = ExchangeWithSelected(pCurSel(), nSocket, opUpload, paraIndex);
    if (!result) return;
    if (*result != TExchangeResult::Accepted) {
        ShowMessage(g.text + QStringLiteral(" UPLOAD fail "));
        return;
    }
    ShowMessage(g.text + QStringLiteral(" UPLOAD success"));
    Sleep(kUploadWaitMs);
    ClearParamGroup(static_cast<unsigned>(paraIndex));
    LoadParamGroup(pCurSel(), paraIndex);
}

void TfrmParamSet::DownloadWork(int paraIndex) {
    const TGroup& g = Group(paraIndex);
    TButtonHold hold(g.dnDisabled ? g.dn : nullptr);
    std::optional<TExchangeResult> result;
    try {
        result = ExchangeWithSelected(
            pCurSel(), nSocket, opDownload, paraIndex,
            [this, paraIndex](unsigned char* frame) { WriteDownloadData(paraIndex, frame); });
    } catch (const EValueRefused& e) {
        ShowMessage(QString::fromStdString(e.what()));
        return;
    }
    if (!result) return;
    if (*result != TExchangeResult::Accepted) {
        // This group's failure text has always carried two blanks before DOWNLOAD.
        ShowMessage(paraIndex == 5 ? QStringLiteral("속도 카테고리 분류  DOWNLOAD fail ")
                                   : g.text + QStringLiteral(" DOWNLOAD fail "));
        return;
    }
    ShowMessage(g.text + QStringLiteral(" DOWNLOAD success"));
}

void TfrmParamSet::WriteDownloadData(int paraIndex, unsigned char* frame) {
    switch (paraIndex) {
        case 1: {
            // The loop number is in the name; loop 1 goes to the top bit of byte 4.
            int flags[32] = {};
            for (QObject* child : ui->grpLoop->children())
                if (auto* box = qobject_cast<QCheckBox*>(child); box && box->isChecked())
                    flags[StrToInt(box->objectName().mid(7, 2)) - 1] = 1;
            for (int j = kFrameData; j <= kFrameData + 3; ++j)
                for (int m = 7; m >= 0; --m)
                    set_frame_bits(frame, j, 7 - m, 1,
                                   static_cast<unsigned>(flags[8 * (j - kFrameData) + m]));
            return;
        }
        case 2: {
            int flags[32] = {};
            for (QObject* child : ui->grpSpd->children())
                if (auto* box = qobject_cast<QCheckBox*>(child); box && box->isChecked())
                    flags[StrToInt(box->objectName().mid(6, 2)) - 1] = 1;
            for (int k = 0; k < 32; ++k)
                frame[kFrameData + k] = static_cast<unsigned char>(flags[k]);
            return;
        }
        case 3:
        case 12:
        case 13:
        case 14:
            frame[kFrameData] = LowByte(ValueEdit(paraIndex)->text());
            return;
        case 4:
            frame[kFrameData] = LowByte(ui->edCarExist->text());
            frame[kFrameData + 1] = LowByte(ui->edCarNoExist->text());
            return;
        case 5: {
            unsigned char values[12] = {};
            for (QObject* child : ui->grpSpdCat->children()) {
                auto* ed = qobject_cast<QLineEdit*>(child);
                if (!ed || ed->objectName().mid(5, 1) != QLatin1String("T")) continue;
                values[StrToInt(ed->objectName().mid(6, 2)) - 1] = LowByte(ed->text());
            }
            std::copy(values, values + 12, frame + kFrameData);
            return;
        }
        case 6:
            // Length bounds are kept in cm up to four digits; a byte carries them in 10 cm steps.
            for (int k = 1; k <= 3; ++k) {
                QLineEdit* ed = findChild<QLineEdit*>(Name("edCarCatT%02d", k));
                const int cm = StrToInt(ed->text());
                if (cm < 0 || cm > 255 * kLengthStepCm || cm % kLengthStepCm != 0)
                    throw EValueRefused(
                        QStringLiteral("차종 분류 #%1 상한 %2 cm는 보낼 수 없습니다 "
                                       "(0 ~ 2550 cm, 10 cm 단위)")
                            .arg(k)
                            .arg(cm));
                frame[kFrameData + k - 1] = static_cast<unsigned char>(cm / kLengthStepCm);
            }
            return;
        default:
            return;
    }
}

TfrmParamSet::~TfrmParamSet() = default;

void TfrmParamSet::UntickAll(QGroupBox* group) {
    for (QObject* child : group->children())
        if (auto* box = qobject_cast<QCheckBox*>(child)) box->setChecked(false);
}

void TfrmParamSet::TickCheckBox(QGroupBox* group, const QString& name) {
    for (QObject* child : group->children())
        if (auto* box = qobject_cast<QCheckBox*>(child); box && box->objectName() == name)
            box->setChecked(true);
}

void TfrmParamSet::SetChildText(QGroupBox* group, const QString& name, const QString& text) {
    for (QObject* child : group->children())
        if (auto* ed = qobject_cast<QLineEdit*>(child); ed && ed->objectName() == name)
            ed->setText(text);
}

QLineEdit* TfrmParamSet::ValueEdit(int paraIndex) const {
    switch (paraIndex) {
        case 3:
            return ui->edTraCollTerm;
        case 12:
            return ui->edTraVolUpLimit;
        case 13:
            return ui->edVelUpLimit;
        default:
            return ui->edCarLenUpLimit;
    }
}

TfrmParamSet::TCategories TfrmParamSet::Categories(int paraIndex) const {
    if (paraIndex == 5) return {ui->grpSpdCat, "edCatF%02d", "edCatT%02d", 12, 3};
    return {ui->grpCarLen, "edCarCatF%02d", "edCarCatT%02d", 3, 4};
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
        case 12:
        case 13:
        case 14:
            ValueEdit(paraIndex)->clear();
            break;
        case 4:
            ui->edCarExist->clear();
            ui->edCarNoExist->clear();
            break;
        case 5:
        case 6: {
            const TCategories c = Categories(paraIndex);
            for (int k = 1; k <= c.count; ++k) {
                SetChildText(c.group, Name(c.from, k), QString());
                SetChildText(c.group, Name(c.to, k), QString());
            }
            break;
        }
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

    QStringList problems;
    RunQuery(dmOracle->dsQuery, ParamGroupSql(strID, paraIndex), TLogOn::Kept,
             [&](const TSQLClientDataSet& row) {
                 const int index = row.FieldByName(QStringLiteral("PARA_INDX")).AsInteger();
                 if (!Decodable(index)) return;
                 const QString column = QString::asprintf("PARA%03d_VALU", index);
                 QString problem;
                 if (!DecodeParam(index, row.FieldByName(column).AsString(), &problem))
                     problems << problem;
             });
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
        case 12:
        case 13:
        case 14:
            ValueEdit(paraIndex)->setText(v);
            return true;
        case 4:
            ui->edCarExist->setText(v.mid(0, 3));
            ui->edCarNoExist->setText(v.mid(3, 3));
            return true;
        case 5:
        case 6: {
            // Each upper bound is also the next category's lower one; the first starts at 0.
            const TCategories c = Categories(paraIndex);
            SetChildText(c.group, Name(c.from, 1), QStringLiteral("0"));
            for (int k = 1; k <= c.count; ++k) {
                const QString field = v.mid(c.width * (k - 1), c.width);
                SetChildText(c.group, Name(c.to, k), field);
                SetChildText(c.group, Name(c.from, k + 1), field);
            }
            return true;
        }
        default:
            return true;
    }
}
