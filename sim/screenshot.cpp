// vds-screenshot <out.png>: saves the whole screen of $DISPLAY, for looking at the programs
// where there is no monitor (the demo under Xvfb).

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: vds-screenshot <out.png>\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "vds-screenshot: cannot grab the screen\n");
        return 1;
    }
    return 0;
}
