#include "VirtualTree.h"

#include <QApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "Application.h"

namespace {
constexpr int kNodeType = QTreeWidgetItem::UserType + 1;

class TVirtualNode : public QTreeWidgetItem {
public:
    explicit TVirtualNode(std::unique_ptr<TNodeRecord> record)
        : QTreeWidgetItem(kNodeType), m_record(std::move(record)) {}
    TNodeRecord* Record() const { return m_record.get(); }

    TCheckType type = ctNone;
    TCheckState state = csUncheckedNormal;
    // Of the children with a check box: how many, how many ticked, how many mixed.
    int checkable = 0;
    int checked = 0;
    int mixed = 0;
    // Where it was among its parent's children when last looked up; nodes are only appended,
    // so the next sibling is found without searching.
    int index = 0;

private:
    std::unique_ptr<TNodeRecord> m_record;
};

TVirtualNode* Node(QTreeWidgetItem* item) {
    return item && item->type() == kNodeType ? static_cast<TVirtualNode*>(item) : nullptr;
}

TVirtualNode* Parent(TVirtualNode* node) {
    return Node(node->parent());
}

Qt::CheckState ToQt(TCheckState s) {
    switch (s) {
        case csCheckedNormal:
            return Qt::Checked;
        case csMixedNormal:
            return Qt::PartiallyChecked;
        default:
            return Qt::Unchecked;
    }
}

TCheckState FromQt(int s) {
    switch (s) {
        case Qt::Checked:
            return csCheckedNormal;
        case Qt::PartiallyChecked:
            return csMixedNormal;
        default:
            return csUncheckedNormal;
    }
}

// What a child adds to its parent's counts.
void Count(TVirtualNode* parent, const TVirtualNode* child, int sign) {
    if (child->type == ctNone) return;
    parent->checkable += sign;
    if (child->state == csCheckedNormal) parent->checked += sign;
    if (child->state == csMixedNormal) parent->mixed += sign;
}

// The state a tri-state parent shows for its children; its own while it has none.
TCheckState StateByChildren(const TVirtualNode* n) {
    if (n->checkable == 0) return n->state;
    if (n->checked == n->checkable) return csCheckedNormal;
    if (n->checked == 0 && n->mixed == 0) return csUncheckedNormal;
    return csMixedNormal;
}

// Keeps tree changes made by code from reaching OnChecked.
class TProgrammatic {
public:
    explicit TProgrammatic(int& depth) : m_depth(depth) { ++m_depth; }
    ~TProgrammatic() { --m_depth; }

private:
    int& m_depth;
};
}  // namespace

TVirtualStringTree::TVirtualStringTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    // A narrow tree scrolls sideways rather than cutting names short.
    setIndentation(12);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QTreeWidget::itemChanged, this,
            Guarded([this](QTreeWidgetItem* item, int column) { ItemChanged(item, column); }));
}

PVirtualNode TVirtualStringTree::AddChild(PVirtualNode parent,
                                          std::unique_ptr<TNodeRecord> record) {
    TProgrammatic guard(m_programmatic);
    auto* node = new TVirtualNode(std::move(record));
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    // Set before the node joins the tree, so that it costs no change notice.
    if (OnGetText) node->setText(0, OnGetText(node));
    if (parent) {
        node->index = parent->childCount();
        parent->addChild(node);
    } else {
        node->index = topLevelItemCount();
        addTopLevelItem(node);
    }
    return node;
}

TNodeRecord* TVirtualStringTree::GetNodeData(PVirtualNode node) const {
    TVirtualNode* n = Node(node);
    return n ? n->Record() : nullptr;
}

PVirtualNode TVirtualStringTree::GetFirstChild(PVirtualNode node) const {
    if (!node) return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
    return node->childCount() > 0 ? node->child(0) : nullptr;
}

PVirtualNode TVirtualStringTree::GetNextSibling(PVirtualNode node) const {
    if (!node) return nullptr;
    QTreeWidgetItem* parent = node->parent();
    auto at = [&](int i) { return parent ? parent->child(i) : topLevelItem(i); };
    const int count = parent ? parent->childCount() : topLevelItemCount();
    TVirtualNode* n = Node(node);
    int i = n ? n->index : -1;
    if (i < 0 || i >= count || at(i) != node) {
        i = parent ? parent->indexOfChild(node) : indexOfTopLevelItem(node);
        if (i < 0) return nullptr;
        if (n) n->index = i;
    }
    if (i + 1 >= count) return nullptr;
    QTreeWidgetItem* next = at(i + 1);
    if (TVirtualNode* nn = Node(next)) nn->index = i + 1;
    return next;
}

int TVirtualStringTree::ChildCount(PVirtualNode node) const {
    return node ? node->childCount() : topLevelItemCount();
}

int TVirtualStringTree::GetNodeLevel(PVirtualNode node) const {
    int level = 0;
    for (QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent()) ++level;
    return level;
}

TCheckType TVirtualStringTree::CheckType(PVirtualNode node) const {
    TVirtualNode* n = Node(node);
    return n ? n->type : ctNone;
}

void TVirtualStringTree::SetCheckType(PVirtualNode node, TCheckType type) {
    TVirtualNode* n = Node(node);
    if (!n || n->type == type) return;
    TProgrammatic guard(m_programmatic);
    TVirtualNode* parent = Parent(n);
    if (parent) Count(parent, n, -1);
    n->type = type;
    if (type == ctNone) n->state = csUncheckedNormal;
    if (parent) Count(parent, n, +1);
    ShowCheckBox(n);
    UpdateAncestors(n);
}

// The check box as the node's type, state and the tree's check support have it. Made by code,
// the change goes without a notice of its own: the view learns of it by a repaint, or by a new
// layout where a box comes or goes, which a build of many nodes does once.
void TVirtualStringTree::ShowCheckBox(PVirtualNode node) {
    TVirtualNode* n = Node(node);
    const bool shown = n->type != ctNone && m_checkSupport;
    const Qt::ItemFlags flags = n->flags();
    const Qt::ItemFlags wanted =
        shown ? flags | Qt::ItemIsUserCheckable : flags & ~Qt::ItemIsUserCheckable;
    const QVariant now = n->data(0, Qt::CheckStateRole);
    const bool boxChanges = wanted != flags || now.isValid() != shown;
    {
        const QSignalBlocker quiet(model());
        if (wanted != flags) n->setFlags(wanted);
        if (!shown) {
            if (now.isValid()) n->setData(0, Qt::CheckStateRole, QVariant());
        } else if (!now.isValid() || FromQt(now.toInt()) != n->state) {
            n->setCheckState(0, ToQt(n->state));
        }
    }
    if (boxChanges)
        scheduleDelayedItemsLayout();
    else
        viewport()->update();
}

TCheckState TVirtualStringTree::CheckState(PVirtualNode node) const {
    TVirtualNode* n = Node(node);
    return n && n->type != ctNone && m_checkSupport ? n->state : csUncheckedNormal;
}

void TVirtualStringTree::ChangeState(PVirtualNode node, TCheckState state) {
    TVirtualNode* n = Node(node);
    if (n->state == state) return;
    TVirtualNode* parent = Parent(n);
    if (parent) Count(parent, n, -1);
    n->state = state;
    if (parent) Count(parent, n, +1);
    ShowCheckBox(n);
}

void TVirtualStringTree::SetSubtreeState(PVirtualNode node, TCheckState state) {
    for (int i = 0; i < node->childCount(); ++i) {
        TVirtualNode* child = Node(node->child(i));
        if (!child || child->type == ctNone) continue;
        ChangeState(child, state);
        if (child->type == ctTriStateCheckBox) SetSubtreeState(child, state);
    }
}

// Each tri-state parent up the way shows what its children now hold; the walk stops at the
// first that stays as it was.
void TVirtualStringTree::UpdateAncestors(PVirtualNode node) {
    for (TVirtualNode* p = Parent(Node(node)); p && p->type == ctTriStateCheckBox; p = Parent(p)) {
        const TCheckState state = StateByChildren(p);
        if (state == p->state) return;
        ChangeState(p, state);
    }
}

void TVirtualStringTree::TrackState(PVirtualNode node, TCheckState state) {
    TProgrammatic guard(m_programmatic);
    ChangeState(node, state);
    if (CheckType(node) == ctTriStateCheckBox && state != csMixedNormal)
        SetSubtreeState(node, state);
    UpdateAncestors(node);
}

void TVirtualStringTree::SetCheckState(PVirtualNode node, TCheckState state) {
    if (CheckType(node) == ctNone || !m_checkSupport) return;
    TrackState(node, state);
}

void TVirtualStringTree::SetCheckSupport(bool on) {
    if (on == m_checkSupport) return;
    m_checkSupport = on;
    TProgrammatic guard(m_programmatic);
    // Without check support no node is ticked; switched on again, every box starts unticked.
    std::function<void(QTreeWidgetItem*)> apply = [&](QTreeWidgetItem* item) {
        if (TVirtualNode* n = Node(item)) {
            n->state = csUncheckedNormal;
            n->checked = n->mixed = 0;
            ShowCheckBox(n);
        }
        for (int i = 0; i < item->childCount(); ++i) apply(item->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) apply(topLevelItem(i));
}

void TVirtualStringTree::FullExpand(PVirtualNode node) {
    if (!node) {
        expandAll();
        return;
    }
    // A node without children shows nothing more when expanded.
    if (node->childCount() == 0) return;
    node->setExpanded(true);
    for (int i = 0; i < node->childCount(); ++i) FullExpand(node->child(i));
}

void TVirtualStringTree::Clear() {
    TProgrammatic guard(m_programmatic);
    clear();
}

void TVirtualStringTree::Repaint() {
    viewport()->update();
}

QRect TVirtualStringTree::CheckBoxRect(PVirtualNode node) const {
    if (!node) return {};
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.rect = visualItemRect(node);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.state |= QStyle::State_Enabled;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

// Only the operator's toggles reach here: the view has written the box's new state.
void TVirtualStringTree::ItemChanged(QTreeWidgetItem* item, int column) {
    if (m_programmatic != 0 || column != 0) return;
    TVirtualNode* n = Node(item);
    if (!n || n->type == ctNone) return;
    const QVariant shown = n->data(0, Qt::CheckStateRole);
    if (!shown.isValid()) return;
    const TCheckState state = FromQt(shown.toInt());
    if (state == n->state) return;
    TrackState(n, state);
    if (OnChecked) OnChecked(item);
}
