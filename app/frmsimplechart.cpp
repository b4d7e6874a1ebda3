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
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <cmath>

#include <sys/stat.h>

namespace
{

// Exit status after a file the program cannot use.
constexpr int kExitBadInput = 2;
// Exit status after the continuous-variable refusal.
constexpr int kExitCategoryLimit = 3;

// (screen - window), rounded to a whole number with halves to the even
// neighbour, then halved with the remainder dropped.
long halfDifference(double screen, double window)
{
    const long difference = std::lrint(std::nearbyint(screen - window));
    return difference / 2;
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
    // The designed client area, 9795 x 6135 twips.
    resize(qRound(9795 / tx), qRound(6135 / ty) + menuBar()->sizeHint().height());
    // Right presses on the window's own surface open the options panel.
    ui->centralSurface->installEventFilter(this);
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

bool frmsimplechart::failInput(const QString& file, const vp::Result& read)
{
    platform.MsgBox(
        QStringLiteral("Cannot use the file \"%1\":\n%2").arg(file, toQ(read.message())));
    platform.EndProgram(kExitBadInput);
    return false;
}

void frmsimplechart::placeWindowAndPanel()
{
    const double tx = platform.TwipsPerPixelX();
    const double ty = platform.TwipsPerPixelY();
    const long h = halfDifference(platform.ScreenWidthTwips(), width() * tx);
    const long v = halfDifference(platform.ScreenHeightTwips(), height() * ty);
    move(qRound(h / tx), qRound(v / ty));
    ui->SSTab1->move(qRound(h / tx), qRound(v * 0.8 / ty));
}

void frmsimplechart::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous() || firstShown_)
        return;
    firstShown_ = true;
    // A window manager answers the request to be maximized within a few
    // frames; the check waits a little longer than that.
    if (isMaximized())
        QTimer::singleShot(400, this, &frmsimplechart::fillScreenUnlessMaximized);
}

// With no window manager (a bare X server, a kiosk) nobody grants the
// maximized state: the window would keep its designed size while the chart
// is placed for the whole screen. It then takes the screen's available area
// itself.
void frmsimplechart::fillScreenUnlessMaximized()
{
    const QScreen* shown = screen();
    if (!shown || !isMaximized())
        return;
    const QRect area = shown->availableGeometry();
    const QRect frame = frameGeometry();
    if (frame.width() * 10 >= area.width() * 9 && frame.height() * 10 >= area.height() * 9)
        return;
    setGeometry(area);
}

void frmsimplechart::Form_Load()
{
    state.categoryLimit = 200;
    placeWindowAndPanel();
    state.appFolder = vp::applyFolderRule(platform.ProgramFolder(), '/');

    // Paths stay bytes; only the messages show them as text.
    state.settingsPath = vp::trimBlanks(platform.CommandLine());
    const QString settings = toQ(state.settingsPath);
    struct stat settingsInfo = {};
    if (state.settingsPath.empty() || ::stat(state.settingsPath.c_str(), &settingsInfo) != 0 ||
        S_ISDIR(settingsInfo.st_mode)) {
        platform.MsgBox(QStringLiteral("Error finding ini file, check your setup."));
        return;
    }
    const vp::Result settingsRead = vp::readSettingsFile(state.settingsPath);
    if (!settingsRead) {
        failInput(settings, settingsRead);
        return;
    }

    std::string caption;
    const vp::Result first = vp::firstReading(state, caption, '/');
    if (!first) {
        failInput(toQ(vp::definitionPath(state)), first);
        return;
    }
    OptionsPanel& panel = *ui->SSTab1;
    panel.showCaption(toQ(caption));
    panel.fillReferenceLines();

    buildColorTables(state, *ui->barchart1);
    panel.showStartColours();
    panel.showFontNames();

    // The data table lives only while the chart is built.
    const ChartBuild build{
        state,
        *ui->PieChart1,
        *ui->barchart1,
        panel,
        QSizeF(platform.ScreenWidthTwips(), platform.ScreenHeightTwips()),
        [this](bool stacked, vp::ChartData& data) { return readChartData(stacked, data); }};
    if (state.chartKind == vp::ChartKind::SimplePie) {
        buildPieChart(build);
        if (platform.HasEnded())
            return;
    }
    setStackingMode(*ui->barchart1, panel.stackingChoice());
    if (state.chartKind == vp::ChartKind::SimpleBar)
        buildSimpleBarChart(build);
    if (state.chartKind == vp::ChartKind::StackedBar)
        buildStackedBarChart(build);
    if (platform.HasEnded())
        return;

    platform.ResetMousePointer();
}

bool frmsimplechart::readChartData(bool stacked, vp::ChartData& data)
{
    const vp::Result read =
        stacked ? vp::readStackedKind(state, VPLOTGLOBAL, data) : vp::readSimpleKind(state, data);
    if (read.code() == vp::kCategoryLimit) {
        platform.MsgBox(toQ(read.message()));
        platform.EndProgram(kExitCategoryLimit);
        return false;
    }
    if (!read)
        return failInput(toQ(vp::definitionPath(state)), read);
    return true;
}

void frmsimplechart::Form_MouseDown(int button, int, float, float)
{
    if (button == 2)
        ui->SSTab1->mnuoptions_Click();
}

bool frmsimplechart::eventFilter(QObject* watched, QEvent* event)
{
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
