// VELDRAPLOT: the chart viewer a host application starts with the path of
// its settings file as the whole command line.
#include "frmsimplechart.h"
#include "qtplatform.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

static const char kUsage[] =
    "Usage: veldraplot SETTINGS_FILE\n"
    "Shows the chart described by ~VGRAPH.TMP in the program's folder.\n"
    "The whole command line, trimmed of blanks, is the settings file's path.\n"
    "  --version   print the version and exit\n"
    "  --help      print this help and exit\n";

int main(int argc, char* argv[])
{
    // --version and --help answer only when they are the whole command line;
    // anything else is a settings path.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("veldraplot %s\n", VELDRAPLOT_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VELDRAPLOT"));
    QtPlatform platform(QApplication::arguments());
    frmsimplechart window(platform);
    window.Form_Load();
    if (platform.HasEnded())
        return platform.exitStatus();
    window.showMaximized();
    return QApplication::exec();
}
