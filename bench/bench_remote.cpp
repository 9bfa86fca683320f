// vds-bench-remote: the control program's work beside the bare engine and a bare socket.
//
//   vds-bench-remote [--tree-db <stations>=<file>]... [--runs <n>]
//
// Each --tree-db is one of the controller-tree rows (made by vds-benchdb). Prints table rows on
// standard output. Each work item is one function returning its row.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QLabel>
#include <cstdio>
#include <memory>

#include "Application.h"
#include "BenchCore.h"
#include "CommandExchange.h"
#include "ControllerTree.h"
#include "Link.h"
#include "OracleDM.h"
#include "StandInServer.h"
#include "main.h"

namespace {

// The same bytes as the program sent, over a plain blocking socket.
TWork BareExchange(int port, const QByteArray& request) {
    return [port, request] {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok = s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                  send(s, request.constData(), request.size(), MSG_NOSIGNAL) == request.size();
        char reply[kStatusReplySize];
        int got = 0;
        while (ok && got < kStatusReplySize) {
            const ssize_t n = recv(s, reply + got, sizeof reply - got, 0);
            ok = n > 0;
            got += ok ? static_cast<int>(n) : 0;
        }
        if (s >= 0) close(s);
        if (!ok) throw std::runtime_error("bare exchange failed");
    };
}

class TRemoteBench {
public:
    TRemoteBench() {
        form = std::make_unique<TMainForm>(QStringList{"u", "p", "none", "x", "y"});
        MainForm = form.get();
        dm = std::make_unique<TdmOracle>();
        dmOracle = dm.get();
    }
    ~TRemoteBench() {
        dmOracle = nullptr;
        MainForm = nullptr;
    }

    TBenchResult ControllerTree(int stations, const QString& path) {
        form->LaunchArgs[2] = path;
        dm->vdsConnection.SetConnected(false);
        // The tree and its detail strip, as a command window lays them out.
        QWidget window;
        window.resize(1003, 681);
        auto* tree = new TVirtualStringTree(&window);
        tree->setGeometry(8, 48, 145, 601);
        TDetailStrip strip{new QLabel(&window), new QLabel(&window), new QLabel(&window),
                           new QLabel(&window)};
        TControllerTree controllers(tree, strip);
        window.show();
        Settle();
        const TWork program = [&controllers] { controllers.Build(); };
        const TWork bare = BareEngine(CaptureSql(program));
        if (tree->ChildCount(controllers.pAxisBranch) == 0)
            throw std::runtime_error("the controller tree is empty");
        // The hidden debug windows each build leaves stay until exit in the program; here they
        // go between runs, so that one run's leftovers do not weigh on the next.
        const TWork between = [] {
            Application()->FreeOwned();
            Settle();
        };
        return RunPaired(QStringLiteral("controller tree, %1 stations").arg(Count(stations)), runs,
                         program, bare, between);
    }

    TBenchResult Exchange() {
        TStandInServer server;
        if (!server.Start()) throw std::runtime_error(server.Error());
        SetLinkSettings({"127.0.0.1", server.Port()});
        // A loop-detector download: four bytes of loop bits after the header.
        const TWork program = [] {
            int nSocket = 0;
            const auto result = RunCommandExchange(nSocket, QStringLiteral("0101"), opDownload, 1,
                                                   [](unsigned char* frame) {
                                                       for (int i = 0; i < 4; ++i)
                                                           frame[kFrameData + i] = 0x5A;
                                                   });
            if (result != TExchangeResult::Accepted) throw std::runtime_error("exchange refused");
        };
        program();
        const TReceivedFrame sent = server.Frames().back();
        const TWork bare = BareExchange(server.Port(), sent.lengthField + sent.frame);
        const TBenchResult result = RunPaired(
            QStringLiteral("command exchange on loopback (%1-byte frame)").arg(sent.frame.size()),
            runs, program, bare);
        SetLinkSettings({});
        return result;
    }

    int runs = 30;

private:
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TdmOracle> dm;
};

}  // namespace

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("tree-db"), QStringLiteral("Database of a tree row."),
                      QStringLiteral("stations=file")});
    parser.addOption({QStringLiteral("runs"), QStringLiteral("Timed runs of each side."),
                      QStringLiteral("n"), QStringLiteral("30")});
    parser.process(app);
    StopAtMessageBox("vds-bench-remote");

    try {
        TRemoteBench bench;
        bench.runs = parser.value(QStringLiteral("runs")).toInt();
        std::vector<TBenchResult> trees;
        for (const TTreeDb& t : ParseTreeDbs(parser.values(QStringLiteral("tree-db")))) {
            trees.push_back(bench.ControllerTree(t.stations, t.path));
            PrintLine(TableRow(trees.back()));
        }
        if (trees.size() == 2)
            PrintLine(GrowthLine(QStringLiteral("controller tree"), trees[0], trees[1]));
        PrintLine(TableRow(bench.Exchange()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vds-bench-remote: %s\n", e.what());
        return 1;
    }
    return 0;
}
