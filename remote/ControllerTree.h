#pragma once
// The controller tree every command window carries on its left, with the detail strip above its
// work area: VDS controllers listed under each road axis and under each survey-point group;
// ticking one makes it the window's only selection. Each window owns one instance.
// Main thread only.

#include <QLabel>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "CommandExchange.h"
#include "RemoteSql.h"
#include "SkippedRows.h"
#include "VirtualTree.h"

class TSQLClientDataSet;

// The record of every node.
struct data : TNodeRecord {
    QString strID;  // "1" axis branch, "2" survey-point-group branch
    QString strName;
    QString strParentID;
    QString strAXLE_NAME;
    QString strLINK_ID;
    QString strRESR_SPOT_ID;
    QString strRESR_NAME;
    QString strSPOT_ID;
    QString strSPOT_NAME;
    QString strATC_ID;
    QString strATC_NUM;
    QString strSpare;
};

struct TDetailStrip {
    QLabel* lblAxisNo = nullptr;
    QLabel* lblCtlNo = nullptr;
    QLabel* lblDetDir = nullptr;
    QLabel* lblLoopDetCnt = nullptr;
};

// Runs one command exchange for the selected controller. Shows "제어기를 선택하세요" when there is
// no selection and "서버연결 실패" when the server cannot be reached, and then returns nothing;
// otherwise the server's answer, which the caller reports.
std::optional<TExchangeResult> ExchangeWithSelected(const data* pCurSel, int& nSocket, int opcode,
                                                    int index, const TPayloadWriter& payload = {});

class TControllerTree {
public:
    TControllerTree(TVirtualStringTree* leafTree, const TDetailStrip& strip);

    // Runs after a tick has made the selection (the parameter window reloads its groups).
    std::function<void(const data* pData)> OnSelected;

    // The building steps, in order; Build runs them for the window's creation handler and shows
    // a database error like any handler's, leaving the nodes added so far. A row with a NUL in a
    // value it reads is left out; the end of the build names those rows in one message.
    void Build();
    void InitControllerTree();
    void LoadAxisNodes();
    void LoadResrNodes();
    void ExpandControllerTree();
    void LoadAxisControllers(const QString& equpType, const QString& axleId, PVirtualNode axisNode);
    void LoadResrControllers(const QString& equpType, const QString& resrSpotId,
                             PVirtualNode groupNode);

    QString LeafTreeGetText(PVirtualNode node) const;
    void LeafTreeChecked(PVirtualNode node);
    void UncheckChildren(PVirtualNode node);

    void ShowControllerInfo(const data* pSelData);
    QString GetOvdCount(const QString& atcId, int ioflType);
    QString GetLoopDetCount(const QString& atcId);
    void ShowAxisAndCtlNo(const QString& atcId);

    // The window's own copy of the ticked controller's record; null until the first tick.
    const data* pCurSel() const { return m_curSel.get(); }

    TVirtualStringTree* LeafTree() const { return m_tree; }
    PVirtualNode pRootNode = nullptr;
    PVirtualNode pAxisBranch = nullptr;
    PVirtualNode pResrBranch = nullptr;

private:
    PVirtualNode AddRecord(PVirtualNode parent, std::unique_ptr<data> record);
    // A column and the record field its trimmed value goes into.
    using TColumnField = std::pair<const char*, QString data::*>;
    // One node under branch for each row, then loadControllers with the node's id and the node.
    void LoadGroupNodes(TSQLClientDataSet& ds, const QString& sql, PVirtualNode branch,
                        const QString& branchId, const TColumnField& id, const TColumnField& name,
                        const std::function<void(const QString&, PVirtualNode)>& loadControllers);
    // The controller leaves under parentNode: each a copy of its record with the columns the
    // query selects read into their fields.
    void LoadControllers(TSQLClientDataSet& ds, const QString& sql, PVirtualNode parentNode);
    // Runs the axis-and-number query; returns the first row's axis name and controller number.
    std::pair<QString, QString> ReadAxisAndCtlNo(const QString& atcId);
    QString ReadCount(const QString& sql);

    TVirtualStringTree* m_tree;
    TDetailStrip m_strip;
    std::unique_ptr<data> m_curSel;
    TSkippedRows m_skipped;
};
