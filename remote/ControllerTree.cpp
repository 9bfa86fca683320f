#include "ControllerTree.h"

#include "Application.h"
#include "Check.h"
#include "DebugFrm.h"
#include "OracleDM.h"
#include "Text.h"
#include "UiHooks.h"

std::optional<TExchangeResult> ExchangeWithSelected(const data* pCurSel, int& nSocket, int opcode,
                                                    int index, const TPayloadWriter& payload) {
    if (!pCurSel) {
        ShowMessage(QStringLiteral("제어기를 선택하세요"));
        return std::nullopt;
    }
    const QString strAtcId = pCurSel->strATC_ID;
    VDS_CHECK(strAtcId != "");
    const TExchangeResult result = RunCommandExchange(nSocket, strAtcId, opcode, index, payload);
    if (result == TExchangeResult::ConnectFailed) {
        ShowMessage(QStringLiteral("서버연결 실패"));
        return std::nullopt;
    }
    return result;
}

namespace {
QString Field(const TSQLClientDataSet& ds, const char* name) {
    return ds.FieldByName(QString::fromLatin1(name)).AsString();
}
}  // namespace

TControllerTree::TControllerTree(TVirtualStringTree* leafTree, const TDetailStrip& strip)
    : m_tree(leafTree), m_strip(strip) {
    m_tree->SetCheckSupport(true);
    m_tree->OnGetText = [this](PVirtualNode node) { return LeafTreeGetText(node); };
    m_tree->OnChecked = [this](PVirtualNode node) { LeafTreeChecked(node); };
}

void TControllerTree::Build() {
    try {
        InitControllerTree();
        LoadAxisNodes();
        LoadResrNodes();
        ExpandControllerTree();
    } catch (const std::exception& e) {
        ReportException(e);
    }
    m_skipped.Report();
}

PVirtualNode TControllerTree::AddRecord(PVirtualNode parent, std::unique_ptr<data> record) {
    return m_tree->AddChild(parent, std::move(record));
}

void TControllerTree::InitControllerTree() {
    m_tree->Clear();
    auto fixed = [](const char* name) {
        auto r = std::make_unique<data>();
        r->strName = QString::fromUtf8(name);
        return r;
    };
    pRootNode = AddRecord(nullptr, fixed("교통량 수집 제어기"));
    pAxisBranch = AddRecord(pRootNode, fixed("축별"));
    pResrBranch = AddRecord(pRootNode, fixed("조사지점군별"));
}

void TControllerTree::LoadAxisNodes() {
    LoadGroupNodes(dmOracle->dsAxis, AxisListSql(), pAxisBranch, QStringLiteral("1"),
                   {"AXLE_ID", &data::strParentID}, {"AXLE_NAME", &data::strAXLE_NAME},
                   [this](const QString& id, PVirtualNode node) {
                       LoadAxisControllers(QStringLiteral("2"), id, node);
                   });
}

void TControllerTree::LoadAxisControllers(const QString& equpType, const QString& axleId,
                                          PVirtualNode axisNode) {
    LoadControllers(dmOracle->dsQuery, AxisControllersSql(equpType, axleId), axisNode);
}

void TControllerTree::LoadResrNodes() {
    LoadGroupNodes(dmOracle->dsPoint, ResrListSql(), pResrBranch, QStringLiteral("2"),
                   {"RESR_SPOT_ID", &data::strRESR_SPOT_ID}, {"RESR_NAME", &data::strRESR_NAME},
                   [this](const QString& id, PVirtualNode node) {
                       LoadResrControllers(QStringLiteral("2"), id, node);
                   });
}

void TControllerTree::LoadGroupNodes(
    TSQLClientDataSet& ds, const QString& sql, PVirtualNode branch, const QString& branchId,
    const TColumnField& id, const TColumnField& name,
    const std::function<void(const QString&, PVirtualNode)>& loadControllers) {
    RunQuery(ds, sql, TLogOn::ForTheQuery, [&](const TSQLClientDataSet& row) {
        const TSkippedRows::TRow values = {{id.first, Field(row, id.first)},
                                           {name.first, Field(row, name.first)}};
        if (m_skipped.Skip(values)) return;
        auto r = std::make_unique<data>();
        r->strID = branchId;
        (*r).*(id.second) = Trim(values[0].second);
        (*r).*(name.second) = Trim(values[1].second);
        r->strName = (*r).*(name.second);
        const QString groupId = (*r).*(id.second);
        PVirtualNode node = AddRecord(branch, std::move(r));
        loadControllers(groupId, node);
    });
}

void TControllerTree::LoadResrControllers(const QString& equpType, const QString& resrSpotId,
                                          PVirtualNode groupNode) {
    LoadControllers(dmOracle->dsQuery2, ResrControllersSql(equpType, resrSpotId), groupNode);
}

void TControllerTree::LoadControllers(TSQLClientDataSet& ds, const QString& sql,
                                      PVirtualNode parentNode) {
    // The columns a controller query may select, and the record field each goes into.
    static const TColumnField kColumns[] = {{"LINK_ID", &data::strLINK_ID},
                                            {"SPOT_ID", &data::strSPOT_ID},
                                            {"SPOT_NAME", &data::strSPOT_NAME},
                                            {"ATC_ID", &data::strATC_ID}};
    const data& parent = *m_tree->GetNodeDataAs<data>(parentNode);
    auto* debug = new TfrmDebug();  // hidden, kept until exit with the statement it ran
    debug->SetDebugText(sql);
    std::vector<TColumnField> fields;
    RunQuery(ds, sql, TLogOn::ForTheQuery, [&](const TSQLClientDataSet& row) {
        if (fields.empty())
            for (const TColumnField& c : kColumns)
                if (row.FieldNames().contains(QLatin1String(c.first))) fields.push_back(c);
        TSkippedRows::TRow values;
        for (const auto& [name, member] : fields) values.push_back({name, Field(row, name)});
        if (m_skipped.Skip(values)) return;
        auto r = std::make_unique<data>(parent);
        for (size_t i = 0; i < fields.size(); ++i)
            (*r).*(fields[i].second) = Trim(values[i].second);
        r->strName = r->strSPOT_NAME;
        PVirtualNode leaf = AddRecord(parentNode, std::move(r));
        m_tree->SetCheckType(leaf, ctCheckBox);
        m_tree->SetCheckState(leaf, csUncheckedNormal);
    });
}

void TControllerTree::ExpandControllerTree() {
    m_tree->FullExpand(pRootNode);
}

QString TControllerTree::LeafTreeGetText(PVirtualNode node) const {
    const data* r = m_tree->GetNodeDataAs<data>(node);
    return r ? r->strName : QString();
}

void TControllerTree::UncheckChildren(PVirtualNode node) {
    for (PVirtualNode child = m_tree->GetFirstChild(node); child;
         child = m_tree->GetNextSibling(child)) {
        m_tree->SetCheckState(child, csUncheckedNormal);
        UncheckChildren(child);
    }
}

void TControllerTree::LeafTreeChecked(PVirtualNode node) {
    UncheckChildren(pRootNode);
    m_tree->Repaint();
    m_tree->SetCheckState(node, csCheckedNormal);
    const data* pData = m_tree->GetNodeDataAs<data>(node);
    auto copy = std::make_unique<data>(*pData);
    copy->strParentID.clear();
    copy->strSpare.clear();
    m_curSel = std::move(copy);
    ShowControllerInfo(pData);
    if (OnSelected) OnSelected(pData);
}

void TControllerTree::ShowControllerInfo(const data* pSelData) {
    m_strip.lblAxisNo->clear();
    m_strip.lblCtlNo->clear();
    m_strip.lblDetDir->clear();
    m_strip.lblLoopDetCnt->clear();
    VDS_CHECK(pSelData != NULL);
    const int branch = pSelData->strID.toInt();
    if (branch == 1) {
        m_strip.lblAxisNo->setText(pSelData->strAXLE_NAME);
        // Neither controller query selects the number; the axis-and-number query has it.
        m_strip.lblCtlNo->setText(ReadAxisAndCtlNo(pSelData->strATC_ID).second);
    } else if (branch == 2) {
        ShowAxisAndCtlNo(pSelData->strATC_ID);
    }
    // One statement each, so inflow is read before outflow whatever order the compiler picks.
    const QString inflow = GetOvdCount(pSelData->strATC_ID, 1);
    const QString outflow = GetOvdCount(pSelData->strATC_ID, 2);
    m_strip.lblDetDir->setText(QStringLiteral("유입 : ") + inflow + QStringLiteral(", 유출 : ") +
                               outflow);
    m_strip.lblLoopDetCnt->setText(GetLoopDetCount(pSelData->strATC_ID));
}

QString TControllerTree::ReadCount(const QString& sql) {
    return FirstRowValue(dmOracle->dsQuery, sql, TLogOn::Kept, QStringLiteral("OVD_CNT"));
}

QString TControllerTree::GetOvdCount(const QString& atcId, int ioflType) {
    return ReadCount(OvdCountSql(atcId, ioflType));
}

QString TControllerTree::GetLoopDetCount(const QString& atcId) {
    return ReadCount(LoopDetCountSql(atcId));
}

std::pair<QString, QString> TControllerTree::ReadAxisAndCtlNo(const QString& atcId) {
    std::pair<QString, QString> result;
    bool first = true;
    RunQuery(dmOracle->dsQuery, AxisAndCtlNoSql(atcId), TLogOn::Kept,
             [&](const TSQLClientDataSet& row) {
                 if (first) result = {Field(row, "AXLE_NAME1"), Field(row, "ATC_NUM1")};
                 first = false;
             });
    return result;
}

void TControllerTree::ShowAxisAndCtlNo(const QString& atcId) {
    const auto [axis, number] = ReadAxisAndCtlNo(atcId);
    m_strip.lblAxisNo->setText(axis);
    m_strip.lblCtlNo->setText(number);
}
