#include "VirtualTree.h"

#include "Application.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {
constexpr int kCheckTypeRole = Qt::UserRole + 1;
constexpr int kLastStateRole = Qt::UserRole + 2;

class TVirtualNode : public QTreeWidgetItem {
public:
    explicit TVirtualNode(std::unique_ptr<TNodeRecord> record) : m_record(std::move(record)) {}
    TNodeRecord* Record() const { return m_record.get(); }

private:
    std::unique_ptr<TNodeRecord> m_record;
};

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
    connect(this, &QTreeWidget::itemChanged, this, &TVirtualStringTree::ItemChanged);
}

PVirtualNode TVirtualStringTree::AddChild(PVirtualNode parent, std::unique_ptr<TNodeRecord> record) {
    TProgrammatic guard(m_programmatic);
    auto* node = new TVirtualNode(std::move(record));
    node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (parent)
        parent->addChild(node);
    else
        addTopLevelItem(node);
    if (OnGetText) node->setText(0, OnGetText(node));
    return node;
}

TNodeRecord* TVirtualStringTree::GetNodeData(PVirtualNode node) const {
    auto* n = dynamic_cast<TVirtualNode*>(node);
    return n ? n->Record() : nullptr;
}

PVirtualNode TVirtualStringTree::GetFirstChild(PVirtualNode node) const {
    if (!node) return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
    return node->childCount() > 0 ? node->child(0) : nullptr;
}

PVirtualNode TVirtualStringTree::GetNextSibling(PVirtualNode node) const {
    if (!node) return nullptr;
    QTreeWidgetItem* parent = node->parent();
    if (parent) {
        const int i = parent->indexOfChild(node);
        return i + 1 < parent->childCount() ? parent->child(i + 1) : nullptr;
    }
    const int i = indexOfTopLevelItem(node);
    return i >= 0 && i + 1 < topLevelItemCount() ? topLevelItem(i + 1) : nullptr;
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
    return node ? static_cast<TCheckType>(node->data(0, kCheckTypeRole).toInt()) : ctNone;
}

void TVirtualStringTree::SetCheckType(PVirtualNode node, TCheckType type) {
    if (!node) return;
    TProgrammatic guard(m_programmatic);
    node->setData(0, kCheckTypeRole, static_cast<int>(type));
    ApplyCheckFlags(node);
}

void TVirtualStringTree::ApplyCheckFlags(PVirtualNode node) {
    const TCheckType type = CheckType(node);
    Qt::ItemFlags flags = node->flags() & ~(Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    if (type != ctNone && m_checkSupport) {
        flags |= Qt::ItemIsUserCheckable;
        if (type == ctTriStateCheckBox) flags |= Qt::ItemIsAutoTristate;
        node->setFlags(flags);
        if (!node->data(0, Qt::CheckStateRole).isValid()) {
            node->setCheckState(0, Qt::Unchecked);
            node->setData(0, kLastStateRole, static_cast<int>(Qt::Unchecked));
        }
    } else {
        node->setFlags(flags);
        node->setData(0, Qt::CheckStateRole, QVariant());
    }
}

TCheckState TVirtualStringTree::CheckState(PVirtualNode node) const {
    if (!node || !node->data(0, Qt::CheckStateRole).isValid()) return csUncheckedNormal;
    switch (node->checkState(0)) {
        case Qt::Checked:
            return csCheckedNormal;
        case Qt::PartiallyChecked:
            return csMixedNormal;
        default:
            return csUncheckedNormal;
    }
}

void TVirtualStringTree::SetCheckState(PVirtualNode node, TCheckState state) {
    if (!node || CheckType(node) == ctNone || !m_checkSupport) return;
    TProgrammatic guard(m_programmatic);
    node->setCheckState(0, ToQt(state));
}

void TVirtualStringTree::SetCheckSupport(bool on) {
    if (on == m_checkSupport) return;
    m_checkSupport = on;
    TProgrammatic guard(m_programmatic);
    std::function<void(QTreeWidgetItem*)> apply = [&](QTreeWidgetItem* n) {
        ApplyCheckFlags(n);
        for (int i = 0; i < n->childCount(); ++i) apply(n->child(i));
    };
    for (int i = 0; i < topLevelItemCount(); ++i) apply(topLevelItem(i));
}

void TVirtualStringTree::FullExpand(PVirtualNode node) {
    if (!node) {
        expandAll();
        return;
    }
    node->setExpanded(true);
    for (int i = 0; i < node->childCount(); ++i) FullExpand(node->child(i));
}

void TVirtualStringTree::Clear() {
    TProgrammatic guard(m_programmatic);
    clear();
}

void TVirtualStringTree::Repaint() { viewport()->update(); }

QRect TVirtualStringTree::CheckBoxRect(PVirtualNode node) const {
    if (!node) return {};
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.rect = visualItemRect(node);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.state |= QStyle::State_Enabled;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void TVirtualStringTree::ItemChanged(QTreeWidgetItem* item, int column) {
    if (column != 0 || !item || CheckType(item) == ctNone) return;
    const int now = item->data(0, Qt::CheckStateRole).toInt();
    const int before = item->data(0, kLastStateRole).toInt();
    if (now == before) return;
    {
        TProgrammatic guard(m_programmatic);
        item->setData(0, kLastStateRole, now);
    }
    if (m_programmatic != 0 || !OnChecked) return;
    try {
        OnChecked(item);
    } catch (const std::exception& e) {
        ReportException(e);
    }
}
