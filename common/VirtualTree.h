#pragma once
// The check-box tree of the windows, with the node operations they use: add a child carrying a
// record, the node's record, first child and next sibling, level, child count, check type and
// state, tri-state tracking, full expand and clear. The tree owns every node's record and frees
// it with the node. Main thread only.
//
// Tri-state tracking is the tree's own, as in the tree control the windows were designed for: a
// tri-state node ticked or unticked passes its state down to its subtree, and each tri-state
// parent shows ticked, unticked or mixed by its children. Every node keeps how many of its
// children are ticked and mixed, so a change costs the nodes it changes and its way up, and
// building a tree costs its nodes, whatever its size.

#include <QTreeWidget>
#include <functional>
#include <memory>

// A node's record; each program derives its own.
class TNodeRecord {
public:
    virtual ~TNodeRecord() = default;
};

using PVirtualNode = QTreeWidgetItem*;

enum TCheckType { ctNone, ctCheckBox, ctTriStateCheckBox };
enum TCheckState { csUncheckedNormal, csCheckedNormal, csMixedNormal };

class TVirtualStringTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TVirtualStringTree(QWidget* parent = nullptr);

    // The text shown for a node, asked once when the node is added.
    std::function<QString(PVirtualNode)> OnGetText;
    // The operator toggled the check box of node (mouse or keyboard); raised once, for that node,
    // after the tracking has passed the change on; not raised by SetCheckState.
    std::function<void(PVirtualNode)> OnChecked;

    // A null parent adds a top-level node. The tree takes the record.
    PVirtualNode AddChild(PVirtualNode parent, std::unique_ptr<TNodeRecord> record);
    TNodeRecord* GetNodeData(PVirtualNode node) const;
    template <class T>
    T* GetNodeDataAs(PVirtualNode node) const {
        return static_cast<T*>(GetNodeData(node));
    }

    PVirtualNode GetFirstChild(PVirtualNode node) const;  // null node: the first top-level node
    PVirtualNode GetNextSibling(PVirtualNode node) const;
    int ChildCount(PVirtualNode node) const;
    int GetNodeLevel(PVirtualNode node) const;  // top-level nodes are at 0

    TCheckType CheckType(PVirtualNode node) const;
    void SetCheckType(PVirtualNode node, TCheckType type);
    TCheckState CheckState(PVirtualNode node) const;
    // With the tri-state tracking, as a tick of the operator's, but raises no OnChecked.
    void SetCheckState(PVirtualNode node, TCheckState state);

    // toCheckSupport: check boxes are shown and usable only while it is on.
    bool CheckSupport() const { return m_checkSupport; }
    void SetCheckSupport(bool on);

    void FullExpand(PVirtualNode node = nullptr);
    void Clear();
    void Repaint();

    // The rectangle of a node's check box, for driving the tree as an operator would.
    QRect CheckBoxRect(PVirtualNode node) const;

private:
    void ShowCheckBox(PVirtualNode node);
    void ChangeState(PVirtualNode node, TCheckState state);
    void SetSubtreeState(PVirtualNode node, TCheckState state);
    void UpdateAncestors(PVirtualNode node);
    // The node's new state, passed down its subtree and up its ancestors.
    void TrackState(PVirtualNode node, TCheckState state);
    void ItemChanged(QTreeWidgetItem* item, int column);

    bool m_checkSupport = true;
    int m_programmatic = 0;
};
