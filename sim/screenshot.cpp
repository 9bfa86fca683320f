// vds-screenshot <out.png>: saves the whole screen of $DISPLAY, for looking at the programs
// where there is no monitor (the demo under Xvfb).

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "ToolCommandLine.h"

int main(int argc, char** argv) {
    QString out;
    {
        // Parsed before there is a display, so --help and mistakes need none.
        QCoreApplication parsing(argc, argv);
        TToolCommandLine parser(
            QStringLiteral("Saves the whole screen of $DISPLAY as a PNG picture."));
        parser.addPositionalArgument(QStringLiteral("out.png"),
                                     QStringLiteral("The picture to write."));
        if (const auto rc = parser.Parse(parsing.arguments())) return *rc;
        const QStringList args = parser.positionalArguments();
        if (args.size() != 1)
            return ToolUsageError(QStringLiteral("needs exactly one picture file to write"));
        out = args.first();
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(out, "PNG")) {
        std::fprintf(stderr, "vds-screenshot: cannot grab the screen\n");
        return 1;
    }
    return 0;
}
