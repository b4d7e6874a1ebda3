// SPDX-License-Identifier: GPL-3.0-or-later
#include "renderjob.h"

#include "batchplatform.h"
#include "chartcomponent.h"
#include "deferrediconstyle.h"
#include "describe.h"
#include "frmsimplechart.h"
#include "hostprocess.h"
#include "qtext.h"
#include "reader.h"
#include "saveimage.h"
#include "seqfile.h"

#include <QApplication>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace render
{
namespace
{

// The chart is two thirds of the screen wide and 80 % of it high: the
// screen the window is told of is that much larger than the picture.
constexpr double kScreenPerChartWidth = 1.5;
constexpr double kChartPerScreenHeight = 0.8;

// Writes all of data to standard output.
bool writeStandardOutput(const char* data, std::size_t size)
{
    if (std::fwrite(data, 1, size, stdout) != size || std::fflush(stdout) != 0) {
        printMessage("VELDRAPLOT",
                     std::string("Cannot write to standard output: ") + std::strerror(errno));
        return false;
    }
    return true;
}

// The path standard input is read by (see SeqFile::readStandardInputAs).
const char kStandardInputPath[] = "/dev/stdin";

// The window a chart is built in, with its platform. With keep both are
// left alive at the end: the process ends right after.
struct ChartWindow {
    std::unique_ptr<BatchPlatform> platform;
    std::unique_ptr<frmsimplechart> window;
    bool keep = false;

    ChartWindow(const Job& job, const Run& run, bool keepAlive)
        : platform(std::make_unique<BatchPlatform>(run.folder, run.settings,
                                                   job.width * kScreenPerChartWidth,
                                                   job.height / kChartPerScreenHeight)),
          keep(keepAlive)
    {
        if (job.line > 0)
            platform->messagePrefix = QStringLiteral("%1:%2: ").arg(toQ(run.list)).arg(job.line);
        window = std::make_unique<frmsimplechart>(*platform);
    }
    ~ChartWindow()
    {
        if (keep) {
            window.release();
            platform.release();
        }
    }
    ChartWindow(const ChartWindow&) = delete;
    ChartWindow& operator=(const ChartWindow&) = delete;
};

// Runs the start-up on the job's definition.
void loadChart(ChartWindow& w, const Job& job)
{
    vp::ChartState& state = w.window->context().state;
    state.definitionFile = job.input;
    if (job.input == "-") {
        vp::SeqFile::readStandardInputAs(kStandardInputPath);
        state.definitionFile = kStandardInputPath;
        w.platform->standardInputPath = QString::fromLatin1(kStandardInputPath);
    }
    w.window->Form_Load();
}

// A definition whose kind is none of the three drawn builds no chart: no
// picture is made of it.
bool builtAChart(ChartWindow& w)
{
    const vp::ChartState& state = w.window->context().state;
    if (vp::isDrawnKind(state.chartKind))
        return true;
    const std::string& kind = state.chartKindText;
    w.platform->MsgBox(
        QStringLiteral("Cannot use the file \"%1\": its chart kind \"%2\" is none of %3, %4 and "
                       "%5, so it holds no chart to draw")
            .arg(toQ(vp::definitionPath(state)),
                 toQ(kind.size() > 40 ? kind.substr(0, 40) + "..." : kind),
                 toQ(vp::chartKindName(vp::ChartKind::SimplePie)),
                 toQ(vp::chartKindName(vp::ChartKind::SimpleBar)),
                 toQ(vp::chartKindName(vp::ChartKind::StackedBar))));
    return false;
}

// Exactly the requested size, whatever rounding the twips gave; false (and
// a message) when the chart cannot be drawn that small.
bool fitChart(ChartComponent& chart, const Job& job, const QByteArray& prefix)
{
    chart.resize(job.width, job.height);
    if (chart.size() == QSize(job.width, job.height))
        return true;
    printMessage(job.line > 0 ? "VELDRAPLOT" : "veldraplot-render",
                 prefix.toStdString() + "the chart cannot be drawn at " +
                     std::to_string(job.width) + "x" + std::to_string(job.height) + "; " +
                     std::to_string(chart.width()) + "x" + std::to_string(chart.height()) +
                     " is the smallest it takes");
    return false;
}

// Saves the picture to the job's output, or encodes it onto standard output.
bool writePicture(ChartComponent& chart, const Job& job, const QByteArray& prefix)
{
    const imageio::Picture picture = chart.picture(QSize(), job.scale);
    const bool toStdout = job.output == "-";
    QByteArray bytes;
    const vp::Result done = toStdout ? imageio::encode(picture, job.format, &bytes)
                                     : imageio::saveImage(picture, job.format, job.output);
    if (!done) {
        printMessage("VELDRAPLOT", prefix.toStdString() + "Cannot save the chart to \"" +
                                       (toStdout ? "-" : job.output) + "\": " + done.message());
        return false;
    }
    return !toStdout || writeStandardOutput(bytes.constData(), std::size_t(bytes.size()));
}

bool writeDescription(const frmsimplechart& window)
{
    const QByteArray json = QJsonDocument(describe(window)).toJson(QJsonDocument::Indented);
    return writeStandardOutput(json.constData(), static_cast<std::size_t>(json.size()));
}

} // namespace

void startQt(const char* argv0)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    vp::noSessionBusLaunch();
    const std::string runtimeFolder = vp::lendRuntimeFolder();
    // Qt gets the program name only: a settings file named like one of
    // Qt's options stays a settings file.
    static int qtArgc = 1;
    static char* qtArgv[] = {const_cast<char*>(argv0), nullptr};
    static QApplication* app = new QApplication(qtArgc, qtArgv);
    Q_UNUSED(app);
    vp::takeBackRuntimeFolder(runtimeFolder);
    QApplication::setStyle(new DeferredIconStyle);
}

int renderChart(const Job& job, const Run& run, bool keep)
{
    ChartWindow w(job, run, keep);
    loadChart(w, job);
    if (w.platform->HasEnded())
        return w.platform->exitStatus() ? w.platform->exitStatus() : kStatusFailed;
    if (w.platform->messageCount() > 0)
        return kStatusFailed;
    if (!job.output.empty() && !builtAChart(w))
        return kStatusBadInput;
    ChartComponent& chart = w.window->context().currentChart();
    const QByteArray prefix = w.platform->messagePrefix.toLocal8Bit();
    if (!fitChart(chart, job, prefix))
        return kStatusUsage;
    if (job.describe && !writeDescription(*w.window))
        return kStatusFailed;
    if (!job.output.empty() && !writePicture(chart, job, prefix))
        return kStatusFailed;
    return 0;
}

} // namespace render
