// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmsimplechart.h"

#include "axischart.h"
#include "chartbuild.h"
#include "linesplit.h"
#include "menucommands.h"
#include "optionspanel.h"
#include "piechart.h"
#include "qtext.h"
#include "reader.h"
#include "ui_frmsimplechart.h"

#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include <sys/stat.h>

namespace
{

// The window's client area as designed, in twips.
constexpr int kClientWidthTwips = 9795;
constexpr int kClientHeightTwips = 6135;
// The options panel's place in the window: as far from its left edge as the
// window is from the screen's, and this share of that distance from its top.
constexpr double kPanelTopShare = 0.8;
// A window manager answers the request to be maximized within a few frames;
// the check waits a little longer than that.
constexpr int kMaximizeWaitMs = 400;

// Exit status after a file the program cannot use.
constexpr int kExitBadInput = 2;
// Exit status after the continuous-variable refusal.
constexpr int kExitCategoryLimit = 3;

// A file the program cannot use: the message names it and the problem, and
// the program ends with kExitBadInput.
vp::Result inputFailure(const QString& file, const QString& problem)
{
    return vp::Result::failure(
        fromQ(QStringLiteral("Cannot use the file \"%1\":\n%2").arg(file, problem)), kExitBadInput);
}

std::unique_ptr<Ui::frmsimplechart> setUpForm(QMainWindow* window)
{
    auto form = std::make_unique<Ui::frmsimplechart>();
    form->setupUi(window);
    return form;
}

} // namespace

frmsimplechart::frmsimplechart(Platform& platform_, QWidget* parent)
    : QMainWindow(parent), ui(setUpForm(this)),
      platform(platform_), context_{state,          VPLOTGLOBAL,    platform,
                                    *ui->PieChart1, *ui->barchart1, CmDialog1}
{
    const double tx = platform.TwipsPerPixelX();
    const double ty = platform.TwipsPerPixelY();
    ui->barchart1->setTwipsPerPixel(tx, ty);
    ui->PieChart1->setTwipsPerPixel(tx, ty);
    resize(qRound(kClientWidthTwips / tx),
           qRound(kClientHeightTwips / ty) + menuBar()->sizeHint().height());
    // The smallest window holds the whole options panel, and beside it a
    // chart of two thirds by 80 % of that.
    ui->centralSurface->setMinimumSize(ui->SSTab1->size());
    panelHome_ = ui->SSTab1->pos();
    // Right presses on the window's own surface open the options panel; its
    // resizing lays the chart out again.
    ui->centralSurface->installEventFilter(this);
    // Screen readers name a menu by its title.
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setAccessibleName(menu->title());
    ui->SSTab1->setContext(context_);
    commands_ = std::make_unique<MenuCommands>(context_, *ui->RichTextBox1, *this);
    connectMenuCommands();
}

frmsimplechart::~frmsimplechart() = default;

OptionsPanel& frmsimplechart::optionsPanel() const
{
    return *ui->SSTab1;
}

// The File and Edit commands and the two on the menu bar itself go to the
// menu commands; "Option Menu" opens the options panel.
void frmsimplechart::connectMenuCommands()
{
    const struct {
        QAction* action;
        void (MenuCommands::*handler)();
    } commands[] = {
        {ui->mnusave, &MenuCommands::mnusave_Click},
        {ui->mnusavebmp, &MenuCommands::mnusavebmp_Click},
        {ui->mnusavetif, &MenuCommands::mnusavetif_Click},
        {ui->mnusavegif, &MenuCommands::mnusavegif_Click},
        {ui->mnusavePNG, &MenuCommands::mnusavePNG_Click},
        {ui->mnusavesvg, &MenuCommands::mnusavesvg_Click},
        {ui->mnusavepdf, &MenuCommands::mnusavepdf_Click},
        {ui->mnuselectprinter, &MenuCommands::mnuselectprinter_Click},
        {ui->mnuprint, &MenuCommands::mnuprint_Click},
        {ui->mnuexit, &MenuCommands::mnuexit_Click},
        {ui->mnucopy, &MenuCommands::mnucopy_Click},
        {ui->mnuswitch, &MenuCommands::mnuswitch_Click},
        {ui->mnudataview, &MenuCommands::mnudataview_Click},
        {ui->mnureturn, &MenuCommands::mnureturn_Click},
    };
    for (const auto& command : commands)
        connect(command.action, &QAction::triggered, commands_.get(), command.handler);
    connect(ui->mnuoptions, &QAction::triggered, ui->SSTab1, &OptionsPanel::mnuoptions_Click);
}

void frmsimplechart::placeWindowAndPanel()
{
    const double tx = platform.TwipsPerPixelX();
    const double ty = platform.TwipsPerPixelY();
    const long h = centringOffset(platform.ScreenWidthTwips(), width() * tx);
    const long v = centringOffset(platform.ScreenHeightTwips(), height() * ty);
    move(qRound(h / tx), qRound(v / ty));
    panelHome_ = QPoint(qRound(h / tx), qRound(v * kPanelTopShare / ty));
    ui->SSTab1->move(panelHome_);
}

// A window that covers the screen's available area (maximized, or given
// that area where no window manager maximizes it) shows the chart as
// start-up placed it, from the screen's size, centred across the window.
// Any other window lays the chart out the same way for its client area.
// The options panel keeps its place while it fits and otherwise moves up
// and left just enough to stay whole.
void frmsimplechart::followClientArea()
{
    const QWidget* surface = ui->centralSurface;
    OptionsPanel* panel = ui->SSTab1;
    panel->move(std::clamp(panelHome_.x(), 0, std::max(0, surface->width() - panel->width())),
                std::clamp(panelHome_.y(), 0, std::max(0, surface->height() - panel->height())));
    ChartComponent* chart = ui->PieChart1->Visible()   ? static_cast<ChartComponent*>(ui->PieChart1)
                            : ui->barchart1->Visible() ? ui->barchart1
                                                       : nullptr;
    if (!chart)
        return;
    const QSizeF client(surface->width() * platform.TwipsPerPixelX(),
                        surface->height() * platform.TwipsPerPixelY());
    placeChart(*chart,
               fillsScreen() ? QSizeF(platform.ScreenWidthTwips(), platform.ScreenHeightTwips())
                             : client,
               client.width());
}

bool frmsimplechart::fillsScreen() const
{
    const QScreen* shown = screen();
    const QSize frame = frameGeometry().size();
    return shown && frame.width() >= shown->availableGeometry().width() &&
           frame.height() >= shown->availableGeometry().height();
}

void frmsimplechart::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous() || firstShown_)
        return;
    firstShown_ = true;
    if (isMaximized())
        QTimer::singleShot(kMaximizeWaitMs, this, &frmsimplechart::fillScreenUnlessMaximized);
    else
        followsWindow_ = true;
}

// With no window manager (a bare X server, a kiosk) nobody grants the
// maximized state: the window would keep its designed size while the chart
// is placed for the whole screen. It then takes the screen's available area
// itself. Until then the chart keeps its start-up layout, so the sizes the
// window passes through on its way to the screen's cost no layout; from then
// on the chart follows the window.
void frmsimplechart::fillScreenUnlessMaximized()
{
    followsWindow_ = true;
    const QScreen* shown = screen();
    const QRect frame = frameGeometry();
    if (shown && isMaximized() &&
        (frame.width() * 10 < shown->availableGeometry().width() * 9 ||
         frame.height() * 10 < shown->availableGeometry().height() * 9))
        setGeometry(shown->availableGeometry());
    else
        followClientArea();
}

void frmsimplechart::Form_Load()
{
    state.categoryLimit = 200;
    placeWindowAndPanel();
    state.appFolder = vp::applyFolderRule(platform.ProgramFolder(), '/');

    // Paths stay bytes; only the messages show them as text.
    state.settingsPath = vp::trimBlanks(platform.CommandLine());
    const bool noSettings = state.settingsPath.empty() && platform.SettingsOptional();
    struct stat settingsInfo = {};
    if (!noSettings &&
        (state.settingsPath.empty() || ::stat(state.settingsPath.c_str(), &settingsInfo) != 0 ||
         S_ISDIR(settingsInfo.st_mode))) {
        // The window stays, without a chart.
        platform.MsgBox(QStringLiteral("Error finding ini file, check your setup."));
        return;
    }
    const vp::Result loaded = loadChart();
    if (!loaded) {
        platform.MsgBox(toQ(loaded.message()));
        platform.EndProgram(loaded.code());
        return;
    }
    platform.ResetMousePointer();
}

vp::Result frmsimplechart::loadChart()
{
    // The batch renderer may run without a settings file: nothing to read.
    const vp::Result settingsRead = state.settingsPath.empty() && platform.SettingsOptional()
                                        ? vp::Result()
                                        : vp::readSettingsFile(state.settingsPath);
    if (!settingsRead.ok())
        return inputFailure(toQ(state.settingsPath), toQ(settingsRead.message()));

    std::string caption;
    const vp::Result first = vp::firstReading(state, caption, '/');
    if (!first.ok())
        return inputFailure(toQ(vp::definitionPath(state)), toQ(first.message()));
    OptionsPanel& panel = *ui->SSTab1;
    panel.showCaption(toQ(caption));
    panel.fillReferenceLines();

    buildColorTables(state, *ui->barchart1);
    panel.showStartColours();
    panel.showFontNames();
    return buildChart();
}

// The chart of the definition's kind, and the panel adapted to it and
// filled. The data table lives only while the chart is built.
vp::Result frmsimplechart::buildChart()
{
    OptionsPanel& panel = *ui->SSTab1;
    const ChartBuild build{
        state, *ui->PieChart1, *ui->barchart1,
        QSizeF(platform.ScreenWidthTwips(), platform.ScreenHeightTwips()),
        [this](bool stacked, vp::ChartData& data) { return readChartData(stacked, data); }};
    if (state.chartKind == vp::ChartKind::SimplePie) {
        panel.adaptToPie();
        const BuildResult pie = buildPieChart(build);
        if (!pie.result)
            return pie.result;
        panel.fill(pie.fill);
    }
    setStackingMode(*ui->barchart1, panel.stackingChoice());
    if (state.chartKind == vp::ChartKind::SimpleBar ||
        state.chartKind == vp::ChartKind::StackedBar) {
        panel.adaptToBars();
        const BuildResult bars = state.chartKind == vp::ChartKind::SimpleBar
                                     ? buildSimpleBarChart(build)
                                     : buildStackedBarChart(build);
        if (!bars.result)
            return bars.result;
        panel.fill(bars.fill);
    }
    return {};
}

vp::Result frmsimplechart::readChartData(bool stacked, vp::ChartData& data)
{
    const vp::Result read =
        stacked ? vp::readStackedKind(state, VPLOTGLOBAL, data) : vp::readSimpleKind(state, data);
    if (read.code() == vp::kCategoryLimit)
        return vp::Result::failure(read.message(), kExitCategoryLimit);
    if (!read.ok())
        return inputFailure(toQ(vp::definitionPath(state)), toQ(read.message()));
    return {};
}

void frmsimplechart::Form_MouseDown(int button, int, float, float)
{
    if (button == 2)
        ui->SSTab1->mnuoptions_Click();
}

bool frmsimplechart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->centralSurface && event->type() == QEvent::Resize && followsWindow_)
        followClientArea();
    if (watched == ui->centralSurface && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A press that a control on the surface (a chart, the panel or one
        // of its controls) leaves unhandled is passed on to the surface as
        // well: only a press on the bare surface counts.
        const QPoint at = mouse->position().toPoint();
        if (!ui->centralSurface->rect().contains(at) || ui->centralSurface->childAt(at))
            return false;
        int button = 0;
        switch (mouse->button()) {
        case Qt::LeftButton:
            button = 1;
            break;
        case Qt::RightButton:
            button = 2;
            break;
        case Qt::MiddleButton:
            button = 4;
            break;
        default:
            break;
        }
        int shift = 0;
        if (mouse->modifiers() & Qt::ShiftModifier)
            shift |= 1;
        if (mouse->modifiers() & Qt::ControlModifier)
            shift |= 2;
        if (mouse->modifiers() & Qt::AltModifier)
            shift |= 4;
        const double tx = platform.TwipsPerPixelX();
        const double ty = platform.TwipsPerPixelY();
        Form_MouseDown(button, shift, static_cast<float>(mouse->position().x() * tx),
                       static_cast<float>(mouse->position().y() * ty));
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}
