#include "renderjob.h"

#include "batchplatform.h"
#include "chartcomponent.h"
#include "deferrediconstyle.h"
#include "describe.h"
#include "frmsimplechart.h"
#include "hostprocess.h"
#include "qtext.h"
#include "saveimage.h"

#include <QApplication>
#include <QJsonDocument>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/mman.h>
#include <unistd.h>

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
        std::fprintf(stderr, "VELDRAPLOT: Cannot write to standard output: %s\n",
                     std::strerror(errno));
        return false;
    }
    return true;
}

// Standard input kept in an anonymous file that the reader can open by
// name and read from the start again for every pass; -1 on failure.
int keepStandardInput()
{
    const int fd = ::memfd_create("standard input", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got == 0)
            return fd;
        if (got < 0 && errno == EINTR)
            continue;
        for (ssize_t done = 0; got > 0 && done < got;) {
            const ssize_t put = ::write(fd, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                ::close(fd);
                return -1;
            }
            done += put;
        }
        if (got < 0) {
            ::close(fd);
            return -1;
        }
    }
}

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

// Runs the start-up on the job's definition (standard input kept in memory
// first); false when standard input cannot be read.
bool loadChart(ChartWindow& w, const Job& job)
{
    vp::ChartState& state = w.window->context().state;
    if (job.input != "-") {
        state.definitionFile = job.input;
        w.window->Form_Load();
        return true;
    }
    const int kept = keepStandardInput();
    if (kept < 0) {
        std::fprintf(stderr, "VELDRAPLOT: Cannot read standard input: %s\n", std::strerror(errno));
        return false;
    }
    state.definitionFile = "/proc/self/fd/" + std::to_string(kept);
    w.platform->standardInputPath = toQ(state.definitionFile);
    w.window->Form_Load();
    ::close(kept);
    return true;
}

// Exactly the requested size, whatever rounding the twips gave; false (and
// a message) when the chart cannot be drawn that small.
bool fitChart(ChartComponent& chart, const Job& job, const QByteArray& prefix)
{
    chart.resize(job.width, job.height);
    if (chart.size() == QSize(job.width, job.height))
        return true;
    std::fprintf(stderr,
                 "%s: %sthe chart cannot be drawn at %dx%d; %dx%d is the"
                 " smallest it takes\n",
                 job.line > 0 ? "VELDRAPLOT" : "veldraplot-render", prefix.constData(), job.width,
                 job.height, chart.width(), chart.height());
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
        std::fprintf(stderr, "VELDRAPLOT: %sCannot save the chart to \"%s\":\n%s\n",
                     prefix.constData(), toStdout ? "-" : job.output.c_str(),
                     done.message().c_str());
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
    if (!loadChart(w, job))
        return kStatusFailed;
    if (w.platform->HasEnded())
        return w.platform->exitStatus() ? w.platform->exitStatus() : kStatusFailed;
    if (w.platform->messageCount() > 0)
        return kStatusFailed;
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
