// vds-bench-monitor: the monitoring program's work beside the bare engine.
//
//   vds-bench-monitor --db <file> [--tree-db <stations>=<file>]... [--runs <n>]
//                     [--memory-ticks <n>] [--trees-only]
//
// --db is the database of the refresh ticks and the memory check, each --tree-db one of the
// station-tree rows (made by vds-benchdb). Prints table rows on standard output.
//
// Each work item is one function returning its row, as StatusRefresh shows: a new one is one more
// function of TMonitorBench and one more call in main.

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "Application.h"
#include "BenchCore.h"
#include "DevStsMonFrm.h"
#include "Grid.h"
#include "OracleDM.h"
#include "TrafMonTextFrm.h"

namespace {

class TMonitorBench {
public:
    TMonitorBench() {
        dm = std::make_unique<TdmOracle>();
        dmOracle = dm.get();
        qputenv("VDS_DB_DIR", dir.path().toUtf8());
    }
    ~TMonitorBench() {
        form.reset();
        dmOracle = nullptr;
    }

    // The program's fixed database name is a copy of path from now on: a file of its own, as
    // at a centre, not a link that every log-on would resolve.
    void UseDatabase(const QString& path) {
        const QString name = QDir(dir.path()).filePath(QStringLiteral("kelnor"));
        QFile::remove(name);
        if (!QFile::copy(path, name)) throw std::runtime_error("cannot copy the database");
    }

    // The window as the operator has it: opened, shown, its tree built.
    TfrmTrafMonText& Form() {
        if (!form) {
            form = std::make_unique<TfrmTrafMonText>();
            form->resize(1003, 681);
            form->show();
            Settle();
        }
        return *form;
    }
    TVirtualStringTree* Tree() { return Form().findChild<TVirtualStringTree*>("ChkTree"); }
    TfpSpread* Grid() { return Form().findChild<TfpSpread*>("SprVDS"); }

    // Ticks the first n stations of the survey-point branch, where each controller shows once.
    void TickStations(int n) {
        TVirtualStringTree* tree = Tree();
        PVirtualNode root = tree->GetFirstChild(nullptr);
        tree->SetCheckState(root, csUncheckedNormal);
        PVirtualNode resr = tree->GetNextSibling(tree->GetFirstChild(root));
        int ticked = 0;
        for (PVirtualNode g = tree->GetFirstChild(resr); g && ticked < n;
             g = tree->GetNextSibling(g))
            for (PVirtualNode s = tree->GetFirstChild(g); s && ticked < n;
                 s = tree->GetNextSibling(s), ++ticked)
                tree->SetCheckState(s, csCheckedNormal);
        if (ticked < n) throw std::runtime_error("the database has too few stations");
    }

    static int FilledRows(TfpSpread* grid) {
        int r = 0;
        for (;; ++r) {
            grid->SetRow(r + 1);
            grid->SetCol(2);
            if (grid->Text().isEmpty()) return r;
        }
    }

    TBenchResult Tick(int stations, const QString& label = {}) {
        TfrmTrafMonText& f = Form();
        TickStations(stations);
        const TWork program = [&f] { f.tmrQueryTimer(); };
        const TWork bare = BareEngine(CaptureSql(program));
        Settle();
        const QString work = label.isEmpty() ? QStringLiteral("refresh tick, %1 stations (%2 rows)")
                                                   .arg(Count(stations), Count(FilledRows(Grid())))
                                             : label;
        return RunPaired(work, runs, program, bare, Settle);
    }

    // The equipment-status window fed with the ticked stations by the monitor window, all
    // stations shown, refreshed by its own timer over the second connection.
    TBenchResult StatusRefresh(int stations) {
        TickStations(stations);
        if (!statusWindow)
            statusWindow = OpenDevStsMon(TfrmTrafMonText::kModeVds, QString(), false);
        TfrmDevStsMon* window = statusWindow;
        window->SetMonitorTarget(TfrmTrafMonText::kModeVds, Form().GetCheckedAtcList());
        const TWork program = [window] { window->tmrMonTimer(); };
        const TWork bare = BareEngine(CaptureSql(program));
        Settle();
        const int rows = FilledRows(window->findChild<TfpSpread*>("fpSpread1"));
        return RunPaired(QStringLiteral("status window refresh, %1 stations (%2 rows)")
                             .arg(Count(stations), Count(rows)),
                         runs, program, bare, Settle);
    }

    TBenchResult StationTree(int stations) {
        TfrmTrafMonText& f = Form();
        const TWork program = [&f] { f.rdoVDSClick(); };
        const TWork bare = BareEngine(CaptureSql(program));
        Settle();
        TVirtualStringTree* tree = Tree();
        PVirtualNode resr = tree->GetNextSibling(tree->GetFirstChild(tree->GetFirstChild(nullptr)));
        int listed = 0;
        for (PVirtualNode g = tree->GetFirstChild(resr); g; g = tree->GetNextSibling(g))
            listed += tree->ChildCount(g);
        if (listed != stations)
            throw std::runtime_error(qPrintable(
                QStringLiteral("the tree lists %1 stations, not %2").arg(listed).arg(stations)));
        return RunPaired(QStringLiteral("station tree, %1 stations").arg(Count(stations)), runs,
                         program, bare, Settle);
    }

    // The resident set after a few ticks and after many, the window refreshing the same stations.
    void Memory(int stations, int ticks) {
        TfrmTrafMonText& f = Form();
        TickStations(stations);
        const int early = std::min(100, ticks);
        long earlyKb = 0;
        for (int i = 1; i <= ticks; ++i) {
            f.tmrQueryTimer();
            Settle();
            if (i == early) earlyKb = ResidentKb();
        }
        const long lateKb = ResidentKb();
        PrintLine(
            QStringLiteral("memory, refresh of %1 stations: RSS %2 kB after %3 ticks, %4 kB "
                           "after %5 ticks, growth %6 kB")
                .arg(Count(stations), Count(earlyKb), Count(early), Count(lateKb), Count(ticks))
                .arg(lateKb - earlyKb));
    }

    int runs = 30;

private:
    QTemporaryDir dir;
    std::unique_ptr<TdmOracle> dm;
    std::unique_ptr<TfrmTrafMonText> form;
    QPointer<TfrmDevStsMon> statusWindow;
};

}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption(
        {QStringLiteral("db"), QStringLiteral("Database of the ticks."), QStringLiteral("file")});
    parser.addOption({QStringLiteral("tree-db"), QStringLiteral("Database of a tree row."),
                      QStringLiteral("stations=file")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Timed runs of each side."),
                      QStringLiteral("n"), QStringLiteral("30")});
    parser.addOption({QStringLiteral("memory-ticks"),
                      QStringLiteral("Ticks of the memory check (0: none)."), QStringLiteral("n"),
                      QStringLiteral("10000")});
    parser.addOption(
        {QStringLiteral("trees-only"), QStringLiteral("Only the tree rows (for profiling).")});
    parser.process(app);
    if (!parser.isSet(QStringLiteral("db"))) {
        std::fprintf(stderr, "vds-bench-monitor: --db is required\n");
        return 2;
    }
    StopAtMessageBox("vds-bench-monitor");

    try {
        TMonitorBench bench;
        bench.runs = parser.value(QStringLiteral("runs")).toInt();
        bench.UseDatabase(parser.value(QStringLiteral("db")));
        if (!parser.isSet(QStringLiteral("trees-only"))) {
            for (int stations : {10, 100, 1000}) PrintLine(TableRow(bench.Tick(stations)));
            // After a large result the grid must cost what the small one fills, not what it held.
            PrintLine(
                TableRow(bench.Tick(10, QStringLiteral("refresh tick, 10 stations, after 1,000"))));
            for (int stations : {100, 1000}) PrintLine(TableRow(bench.StatusRefresh(stations)));
        }

        std::vector<TBenchResult> trees;
        for (const TTreeDb& t : ParseTreeDbs(parser.values(QStringLiteral("tree-db")))) {
            bench.UseDatabase(t.path);
            trees.push_back(bench.StationTree(t.stations));
            PrintLine(TableRow(trees.back()));
        }
        if (trees.size() == 2)
            PrintLine(GrowthLine(QStringLiteral("station tree"), trees[0], trees[1]));
        // Last, so that its many ticks leave the heap of the other rows as they found it.
        const int ticks = parser.value(QStringLiteral("memory-ticks")).toInt();
        if (ticks > 0 && !parser.isSet(QStringLiteral("trees-only"))) {
            bench.UseDatabase(parser.value(QStringLiteral("db")));
            bench.Form().rdoVDSClick();
            bench.Memory(100, ticks);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vds-bench-monitor: %s\n", e.what());
        return 1;
    }
    return 0;
}
