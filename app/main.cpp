// SPDX-License-Identifier: GPL-3.0-or-later
// VELDRAPLOT: the chart viewer a host application starts with the path of
// its settings file as the whole command line.
#include "bundledexample.h"
#include "deferrediconstyle.h"
#include "frmsimplechart.h"
#include "hostprocess.h"
#include "qtplatform.h"

#include "axischart.h"
#include "chartcomponent.h"
#include "piechart.h"
#include "qtext.h"

#include <QApplication>
#include <QEvent>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// VELDRAPLOT_EXIT_AFTER_FIRST_PAINT=1 ends the program as soon as the shown
// chart has been painted once, so that start-up can be timed as a whole
// process (see bench/README.md).
class ExitAfterFirstPaint : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            // The paint itself runs first; the exit waits for the next pass
            // of the event loop.
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::fflush(stdout);
                    std::exit(0);
                },
                Qt::QueuedConnection);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

const char kUsage[] = "Usage: veldraplot SETTINGS_FILE\n"
                      "Shows the chart described by ~VGRAPH.TMP in the program's folder.\n"
                      "The whole command line, trimmed of blanks, is the settings file's path.\n"
                      "  --example   open the bundled example chart (the desktop menu's command)\n"
                      "  --version   print the version and exit\n"
                      "  --help      print this help and exit\n";

// --example, --version and --help are options only when they are the whole
// command line; anything else is a settings path. True when one was answered.
bool answeredAlone(int argc, char* argv[])
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("veldraplot %s\n", VELDRAPLOT_VERSION);
        return true;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return true;
    }
    return false;
}

void exitAfterFirstPaintIfAsked(frmsimplechart& window)
{
    if (qEnvironmentVariable("VELDRAPLOT_EXIT_AFTER_FIRST_PAINT") != QLatin1String("1"))
        return;
    ChartComponent& pie = window.context().pie;
    ChartComponent& bar = window.context().bar;
    ChartComponent* shown = pie.Visible() ? &pie : bar.Visible() ? &bar : nullptr;
    if (shown)
        shown->viewport()->installEventFilter(new ExitAfterFirstPaint(&window));
}

// --example starts the viewer as a host would, on the bundled pie: its
// folder stands for the program's folder, its settings file for the path.
// False, after saying how a host starts VELDRAPLOT, when there is none.
bool startOnExample(std::string& folder, std::string& commandLine)
{
    const std::string examples = vp::bundledExamples(folder);
    if (examples.empty()) {
        const std::string message = vp::noExampleMessage(folder);
        std::fprintf(stderr, "VELDRAPLOT: %s\n", message.c_str());
        QtPlatform(folder, commandLine).MsgBox(toQ(message));
        return false;
    }
    folder = examples + "/pie";
    commandLine = examples + "/settings.ini";
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (answeredAlone(argc, argv))
        return 0;
    vp::occupyClosedStandardStreams();
    vp::noSessionBusLaunch();
    // Qt is handed the program name only: every word of the command line
    // belongs to the settings path, and none may pick Qt's plugins or style.
    const std::string runtimeFolder = vp::lendRuntimeFolder();
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    vp::takeBackRuntimeFolder(runtimeFolder);
    if (!vp::anyFontInstalled())
        std::fprintf(stderr, "VELDRAPLOT: %s\n", vp::kNoFontWarning);
    QApplication::setApplicationName(QStringLiteral("VELDRAPLOT"));
    QApplication::setStyle(new DeferredIconStyle);
    std::string folder = vp::programFolder(argv[0]);
    std::string commandLine = vp::joinedArguments(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--example") == 0 && !startOnExample(folder, commandLine))
        return 1;
    QtPlatform platform(folder, commandLine);
    frmsimplechart window(platform);
    window.Form_Load();
    if (platform.HasEnded())
        return platform.exitStatus();
    exitAfterFirstPaintIfAsked(window);
    window.showMaximized();
    return QApplication::exec();
}
