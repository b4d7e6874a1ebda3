// veldraplot-render: runs the viewer's start-up without showing a window and
// saves the chart as a picture or describes what was built, for hosts that
// want a picture without a viewer, for tests and for benchmarks.
#include "axischart.h"
#include "batchplatform.h"
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
#include <QProxyStyle>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace
{

const char kUsage[] =
    "Usage: veldraplot-render [--folder DIR] [--format jpg|bmp|tif|gif|png] [--size WxH]\n"
    "                         [-o FILE] [--describe] SETTINGS_FILE\n"
    "  --folder DIR   folder holding ~VGRAPH.TMP (default: the program's folder)\n"
    "  --format F     picture format of -o (default: from FILE's extension, else png)\n"
    "  --size WxH     chart size in pixels (default 1280x864)\n"
    "  -o FILE        save the chart picture to FILE\n"
    "  --describe     print what start-up built as JSON\n";

int formatCode(const std::string& name)
{
    static const char* const names[] = {"bmp", "png", "jpg", "tif", "gif"};
    for (int i = 0; i < 5; ++i)
        if (name == names[i])
            return i;
    if (name == "jpeg")
        return FormatJPG;
    if (name == "tiff")
        return FormatTIF;
    return -1;
}

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

// The batch renderer never shows its window, so its widgets need no
// standard icons. The menu bar asks for one when it is made, and reading it
// from its PNG file would load every image format plugin (and libtiff,
// libjpeg, libwebp ...) only to learn that the file is a PNG.
class NoIconStyle : public QProxyStyle
{
  public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap, const QStyleOption*, const QWidget*) const override
    {
        return QIcon();
    }
};

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

} // namespace

int main(int argc, char* argv[])
{
    vp::occupyClosedStandardStreams();
    // File names are kept as the bytes given.
    std::string folder, output, settings, format;
    bool outputWanted = false, settingsGiven = false, describeWanted = false;
    int width = 1280, height = 864;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto next = [&](const char* what) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "veldraplot-render: %s needs a value\n%s", what, kUsage);
                std::exit(64);
            }
            return argv[++i];
        };
        if (arg == "--folder")
            folder = next("--folder");
        else if (arg == "--format")
            format = next("--format");
        else if (arg == "--size") {
            const char* size = next("--size");
            if (!parseSize(size, width, height)) {
                std::fprintf(stderr,
                             "veldraplot-render: bad --size %s: give WxH, each from 16 to 20000\n",
                             size);
                return 64;
            }
        } else if (arg == "-o") {
            output = next("-o");
            outputWanted = true;
        } else if (arg == "--describe")
            describeWanted = true;
        else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (!settingsGiven) {
            settings = arg;
            settingsGiven = true;
        } else {
            std::fprintf(stderr, "veldraplot-render: unexpected argument %s\n%s", argv[i], kUsage);
            return 64;
        }
    }
    if (!settingsGiven) {
        std::fputs(kUsage, stderr);
        return 64;
    }
    if (outputWanted && output.empty()) {
        std::fprintf(stderr, "veldraplot-render: -o needs a file name\n");
        return 64;
    }
    int code = FormatPNG;
    if (!format.empty()) {
        code = formatCode(format);
        if (code < 0) {
            std::fprintf(stderr, "veldraplot-render: unknown format %s\n", format.c_str());
            return 64;
        }
    } else if (outputWanted) {
        const int guessed = formatCode(lowerSuffix(output));
        if (guessed >= 0)
            code = guessed;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string runtimeFolder = vp::lendRuntimeFolder();
    // Qt gets the program name only: a settings file named like one of
    // Qt's options stays a settings file.
    static int qtArgc = 1;
    static char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    vp::takeBackRuntimeFolder(runtimeFolder);
    QApplication::setStyle(new NoIconStyle);
    // A folder text needs a separator for the folder rule to end it with
    // one: "examples" must not become "examples~VGRAPH.TMP".
    if (folder.empty())
        folder = vp::programFolder(argv[0]);
    else if (folder[0] != '/') {
        std::string cwd(PATH_MAX, '\0');
        if (::getcwd(cwd.data(), cwd.size()))
            folder = std::string(cwd.c_str()) + "/" + folder;
    }
    // The chart is two thirds of the screen wide and 80 % of it high.
    BatchPlatform platform(folder, settings, width * 1.5, height / 0.8);
    frmsimplechart window(platform);
    window.Form_Load();
    if (platform.HasEnded())
        return platform.exitStatus() ? platform.exitStatus() : 1;
    if (platform.messageCount() > 0)
        return 1;

    // Exactly the requested size, whatever rounding the twips gave.
    ChartComponent& chart = window.context().currentChart();
    chart.resize(width, height);

    if (chart.size() != QSize(width, height)) {
        std::fprintf(stderr,
                     "veldraplot-render: the chart cannot be drawn at %dx%d; %dx%d is the"
                     " smallest it takes\n",
                     width, height, chart.width(), chart.height());
        return 64;
    }

    if (describeWanted) {
        const QByteArray json = QJsonDocument(describe(window)).toJson(QJsonDocument::Indented);
        if (std::fwrite(json.constData(), 1, json.size(), stdout) != std::size_t(json.size()) ||
            std::fflush(stdout) != 0) {
            std::fprintf(stderr, "VELDRAPLOT: Cannot write to standard output: %s\n",
                         std::strerror(errno));
            return 1;
        }
    }
    if (outputWanted) {
        const SaveResult saved = chart.SaveImage(output, code);
        if (!saved.ok) {
            std::fprintf(stderr, "VELDRAPLOT: Cannot save the chart to \"%s\":\n%s\n",
                         output.c_str(), saved.error.toLocal8Bit().constData());
            return 1;
        }
    }
    // Tearing the window down would only hand memory back to a process that
    // is about to end; with 20,000 bars that alone took a tenth of a second.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}
