#include "renderjob.h"

#include "atomicwrite.h"
#include "axischart.h"
#include "batchplatform.h"
#include "deferrediconstyle.h"
#include "frmsimplechart.h"
#include "hostprocess.h"
#include "piechart.h"
#include "qtext.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <cctype>
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

QString hexColour(vp::Colour c)
{
    return QStringLiteral("#%1%2%3")
        .arg(vp::redOf(c), 2, 16, QLatin1Char('0'))
        .arg(vp::greenOf(c), 2, 16, QLatin1Char('0'))
        .arg(vp::blueOf(c), 2, 16, QLatin1Char('0'));
}

QJsonObject describeCommon(ChartComponent& chart)
{
    return {{"Visible", chart.Visible()},
            {"Caption", chart.Caption()},
            {"LegendTitle", chart.LegendTitle()},
            {"LegendPos", chart.LegendPos()},
            {"ShowLegend", chart.ShowLegend()},
            {"BackColor", hexColour(chart.BackColor())},
            {"Left", chart.Left()},
            {"Top", chart.Top()},
            {"Width", chart.Width()},
            {"Height", chart.Height()}};
}

QJsonObject describe(frmsimplechart& w)
{
    PieChart& pie = w.context().pie;
    QJsonObject pieJson = describeCommon(pie);
    pieJson["PieLabelMode"] = pie.PieLabelMode();
    QJsonArray items;
    for (int i = 1; i <= pie.Items().Count(); ++i) {
        const PieItem& item = pie.Items().Item(i);
        items.append(QJsonObject{{"label", item.Label()},
                                 {"value", item.Value()},
                                 {"Color", hexColour(item.Color())},
                                 {"Exploded", item.Exploded()},
                                 {"FillMode", item.FillMode()}});
    }
    pieJson["Items"] = items;

    AxisChart& bar = w.context().bar;
    QJsonObject barJson = describeCommon(bar);
    barJson["ItemAxisLabel"] = bar.ItemAxisLabel();
    barJson["UnitAxisLabel"] = bar.UnitAxisLabel();
    barJson["BarStackingMode"] = bar.BarStackingMode();
    barJson["Orientation"] = bar.Orientation();
    barJson["SeriesBarSpacing"] = bar.SeriesBarSpacing();
    barJson["ShowUnitAxisGridLines"] = bar.ShowUnitAxisGridLines();
    QJsonArray series;
    for (int k = 1; k <= bar.Series().Count(); ++k) {
        const BarSeries& s = bar.Series().Item(k);
        QJsonArray values;
        for (int i = 1; i <= s.Values().Count(); ++i)
            values.append(QJsonObject{{"label", s.Values().Item(i).label},
                                      {"value", s.Values().Item(i).value}});
        series.append(
            QJsonObject{{"name", s.Name()}, {"Color", hexColour(s.Color())}, {"Values", values}});
    }
    barJson["Series"] = series;

    // The panel's controls, by their names.
    auto control = [&w](const char* name) { return w.findChild<QWidget*>(QLatin1String(name)); };
    const auto* combo1 = static_cast<QComboBox*>(control("Combo1"));
    const auto* list1 = static_cast<QListWidget*>(control("List1"));
    QJsonArray combo, list;
    for (int i = 0; i < combo1->count(); ++i)
        combo.append(combo1->itemText(i));
    for (int i = 0; i < list1->count(); ++i)
        list.append(list1->item(i)->text());
    const QJsonObject panel{
        {"txtCaption", static_cast<QLineEdit*>(control("txtCaption"))->text()},
        {"Text1", static_cast<QLineEdit*>(control("Text1"))->text()},
        {"Combo1", combo},
        {"Combo1Text", combo1->currentText()},
        {"List1", list},
        {"Frame3Visible", !control("Frame3")->isHidden()},
        {"chknolegend", static_cast<QCheckBox*>(control("chknolegend"))->isChecked()}};

    const vp::ChartState& state = w.context().state;
    return {{"chartKind", toQ(state.chartKindText)},
            {"chartTitle", toQ(state.chartTitle)},
            {"chartCaption", toQ(state.chartCaption)},
            {"rowCount", state.rowCount},
            {"seriesCount", state.seriesCount},
            {"pie", pieJson},
            {"bar", barJson},
            {"panel", panel}};
}

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

} // namespace

int formatCode(const std::string& name)
{
    static const char* const names[] = {"bmp", "png", "jpg", "tif", "gif", "svg", "pdf"};
    for (int i = 0; i < 7; ++i)
        if (name == names[i])
            return i;
    if (name == "jpeg")
        return FormatJPG;
    if (name == "tiff")
        return FormatTIF;
    return -1;
}

std::string lowerSuffix(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos)
        return {};
    std::string suffix = path.substr(dot + 1);
    for (char& c : suffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return suffix;
}

// "WxH" with each side a whole number from 16 to 20000, nothing else.
bool parseSize(const char* text, int& width, int& height)
{
    auto side = [](const char*& p, int& out) {
        int digits = 0;
        long value = 0;
        for (; *p >= '0' && *p <= '9' && digits < 6; ++p, ++digits)
            value = value * 10 + (*p - '0');
        out = static_cast<int>(value);
        return digits > 0 && value >= 16 && value <= 20000;
    };
    const char* p = text;
    return side(p, width) && *p++ == 'x' && side(p, height) && *p == '\0';
}

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
    // The chart is two thirds of the screen wide and 80 % of it high.
    auto platform = std::make_unique<BatchPlatform>(run.folder, run.settings, job.width * 1.5,
                                                    job.height / 0.8);
    if (job.line > 0)
        platform->messagePrefix = QStringLiteral("%1:%2: ").arg(toQ(run.list)).arg(job.line);
    auto window = std::make_unique<frmsimplechart>(*platform);
    int kept = -1;
    if (job.input == "-") {
        kept = keepStandardInput();
        if (kept < 0) {
            std::fprintf(stderr, "VELDRAPLOT: Cannot read standard input: %s\n",
                         std::strerror(errno));
            return kStatusFailed;
        }
        window->context().state.definitionFile = "/proc/self/fd/" + std::to_string(kept);
        platform->standardInputPath = toQ(window->context().state.definitionFile);
    } else {
        window->context().state.definitionFile = job.input;
    }
    window->Form_Load();
    if (kept >= 0)
        ::close(kept);
    const auto finish = [&](int status) {
        if (keep) {
            window.release();
            platform.release();
        }
        return status;
    };
    if (platform->HasEnded())
        return finish(platform->exitStatus() ? platform->exitStatus() : kStatusFailed);
    if (platform->messageCount() > 0)
        return finish(kStatusFailed);

    // Exactly the requested size, whatever rounding the twips gave.
    ChartComponent& chart = window->context().currentChart();
    chart.resize(job.width, job.height);
    const QByteArray prefix = platform->messagePrefix.toLocal8Bit();
    if (chart.size() != QSize(job.width, job.height)) {
        std::fprintf(stderr,
                     "%s: %sthe chart cannot be drawn at %dx%d; %dx%d is the"
                     " smallest it takes\n",
                     job.line > 0 ? "VELDRAPLOT" : "veldraplot-render", prefix.constData(),
                     job.width, job.height, chart.width(), chart.height());
        return finish(kStatusUsage);
    }

    if (job.describe) {
        const QByteArray json = QJsonDocument(describe(*window)).toJson(QJsonDocument::Indented);
        if (!writeStandardOutput(json.constData(), static_cast<std::size_t>(json.size())))
            return finish(kStatusFailed);
    }
    if (!job.output.empty()) {
        const bool toStdout = job.output == "-";
        QByteArray bytes;
        SaveResult result = chart.encodePicture(job.format, &bytes, job.scale);
        std::string why;
        if (result.ok && !toStdout &&
            !vp::writeFileAtomically(job.output, bytes.constData(),
                                     static_cast<std::size_t>(bytes.size()), &why))
            result = SaveResult{false, QString::fromLocal8Bit(why.c_str())};
        if (!result.ok) {
            std::fprintf(stderr, "VELDRAPLOT: %sCannot save the chart to \"%s\":\n%s\n",
                         prefix.constData(), toStdout ? "-" : job.output.c_str(),
                         result.error.toLocal8Bit().constData());
            return finish(kStatusFailed);
        }
        if (toStdout &&
            !writeStandardOutput(bytes.constData(), static_cast<std::size_t>(bytes.size())))
            return finish(kStatusFailed);
    }
    return finish(0);
}

} // namespace render
