// The tree adapter: its tri-state tracking, by the operator's clicks and by code, the check
// event, and the walk by first child and next sibling.

#include <QtTest>

#include "TestSupport.h"
#include "VirtualTree.h"

namespace {
struct TName final : TNodeRecord {
    explicit TName(QString n) : name(std::move(n)) {}
    QString name;
};

// root ─ a ─ a1, a2, a3
//      └ b ─ b1, b2
//      └ c          (a tri-state node without children)
struct TTree {
    TVirtualStringTree tree;
    QHash<QString, PVirtualNode> nodes;
    QStringList checkedEvents;

    explicit TTree(TCheckType type = ctTriStateCheckBox) {
        tree.OnGetText = [this](PVirtualNode n) { return tree.GetNodeDataAs<TName>(n)->name; };
        tree.OnChecked = [this](PVirtualNode n) { checkedEvents << n->text(0); };
        auto add = [&](const QString& parent, const QString& name) {
            PVirtualNode n = tree.AddChild(nodes.value(parent), std::make_unique<TName>(name));
            tree.SetCheckType(n, type);
            nodes[name] = n;
        };
        add({}, "root");
        for (const char* g : {"a", "b", "c"}) add("root", g);
        for (const char* l : {"a1", "a2", "a3"}) add("a", l);
        for (const char* l : {"b1", "b2"}) add("b", l);
        tree.FullExpand(nodes["root"]);
        tree.resize(300, 400);
    }
    void Click(const QString& name) {
        PVirtualNode n = nodes[name];
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.CheckBoxRect(n).center());
    }
    // Each node's state as a letter (x ticked, - unticked, ~ mixed), in tree order.
    QString States() {
        QString s;
        for (const char* n : {"root", "a", "a1", "a2", "a3", "b", "b1", "b2", "c"}) {
            const TCheckState st = tree.CheckState(nodes[n]);
            s += st == csCheckedNormal ? 'x' : st == csMixedNormal ? '~' : '-';
            // What the operator sees is what the tree reports.
            const Qt::CheckState shown = nodes[n]->checkState(0);
            if (shown != (st == csCheckedNormal ? Qt::Checked
                          : st == csMixedNormal ? Qt::PartiallyChecked
                                                : Qt::Unchecked))
                s += '!';
        }
        return s;
    }
};
}  // namespace

class tst_VirtualTree : public QObject {
    Q_OBJECT
private slots:
    // Order of the letters: root, a, a1, a2, a3, b, b1, b2, c.
    void clicksTrackTriState_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("states");
        QTest::newRow("nothing") << QStringList() << "---------";
        QTest::newRow("one leaf: its parents mixed") << QStringList({"a2"}) << "~~-x-----";
        QTest::newRow("every leaf of a group: the group ticked")
            << QStringList({"a1", "a2", "a3"}) << "~xxxx----";
        QTest::newRow("a group ticks its leaves") << QStringList({"b"}) << "~----xxx-";
        QTest::newRow("a group ticked, then one leaf unticked")
            << QStringList({"b", "b1"}) << "~----~-x-";
        QTest::newRow("a mixed group clicked: all ticked")
            << QStringList({"a1", "a"}) << "~xxxx----";
        QTest::newRow("the root ticks everything") << QStringList({"root"}) << "xxxxxxxxx";
        QTest::newRow("the root ticked and unticked")
            << QStringList({"root", "root"}) << "---------";
        QTest::newRow("everything ticked by its leaves")
            << QStringList({"a1", "a2", "a3", "b1", "b2", "c"}) << "xxxxxxxxx";
        QTest::newRow("a childless node alone") << QStringList({"c"}) << "~-------x";
    }
    void clicksTrackTriState() {
        QFETCH(QStringList, clicks);
        QFETCH(QString, states);
        TTree t;
        t.tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.tree));
        for (const QString& c : clicks) t.Click(c);
        QCOMPARE(t.States(), states);
        // The check event names the clicked nodes only, once a click.
        QCOMPARE(t.checkedEvents, clicks);
    }

    void codeTracksTriStateWithoutTheEvent() {
        TTree t;
        t.tree.SetCheckState(t.nodes["a"], csCheckedNormal);
        QCOMPARE(t.States(), QStringLiteral("~xxxx----"));
        t.tree.SetCheckState(t.nodes["a3"], csUncheckedNormal);
        QCOMPARE(t.States(), QStringLiteral("~~xx-----"));
        t.tree.SetCheckState(t.nodes["root"], csCheckedNormal);
        QCOMPARE(t.States(), QStringLiteral("xxxxxxxxx"));
        QVERIFY(t.checkedEvents.isEmpty());
        // A node added under a ticked one is unticked, so its parents become mixed.
        PVirtualNode b3 = t.tree.AddChild(t.nodes["b"], std::make_unique<TName>("b3"));
        t.tree.SetCheckType(b3, ctTriStateCheckBox);
        QCOMPARE(t.tree.CheckState(t.nodes["b"]), csMixedNormal);
        QCOMPARE(t.tree.CheckState(t.nodes["root"]), csMixedNormal);
    }

    // Plain check boxes stand alone: a click changes only the clicked one.
    void plainCheckBoxesDoNotTrack() {
        TTree t(ctCheckBox);
        t.tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&t.tree));
        t.Click(QStringLiteral("a"));
        t.Click(QStringLiteral("b1"));
        QCOMPARE(t.States(), QStringLiteral("-x----x--"));
        QCOMPARE(t.checkedEvents, QStringList({"a", "b1"}));
    }

    void withoutCheckSupportNothingIsTicked() {
        TTree t;
        t.tree.SetCheckState(t.nodes["a"], csCheckedNormal);
        t.tree.SetCheckSupport(false);
        QCOMPARE(t.tree.CheckState(t.nodes["a1"]), csUncheckedNormal);
        QVERIFY(!t.nodes["a1"]->data(0, Qt::CheckStateRole).isValid());
        t.tree.SetCheckState(t.nodes["b"], csCheckedNormal);
        t.tree.SetCheckSupport(true);
        QCOMPARE(t.States(), QStringLiteral("---------"));
        QCOMPARE(t.tree.CheckType(t.nodes["a1"]), ctTriStateCheckBox);
    }

    void walkByFirstChildAndNextSibling() {
        TTree t;
        QStringList seen;
        std::function<void(PVirtualNode)> walk = [&](PVirtualNode n) {
            for (PVirtualNode c = t.tree.GetFirstChild(n); c; c = t.tree.GetNextSibling(c)) {
                seen << c->text(0) + QString::number(t.tree.GetNodeLevel(c));
                walk(c);
            }
        };
        walk(nullptr);
        QCOMPARE(seen, QStringList({"root0", "a1", "a12", "a22", "a32", "b1", "b12", "b22", "c1"}));
        QCOMPARE(t.tree.ChildCount(t.nodes["a"]), 3);
        QVERIFY(t.tree.GetNextSibling(t.nodes["a3"]) == nullptr);
        // A walk still holds after nodes went by another way than the tree's own.
        delete t.nodes["a2"];
        QCOMPARE(t.tree.GetNextSibling(t.nodes["a1"])->text(0), QStringLiteral("a3"));
        QVERIFY(t.tree.GetNextSibling(t.nodes["a3"]) == nullptr);
        // Full expand opens every node that has children.
        QVERIFY(t.nodes["root"]->isExpanded() && t.nodes["a"]->isExpanded() &&
                t.nodes["b"]->isExpanded());
    }
};

VDS_TEST_MAIN(tst_VirtualTree)
#include "tst_VirtualTree.moc"
