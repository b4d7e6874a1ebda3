#include "frmsimplechart.h"

#include "axischart.h"
#include "linesplit.h"
#include "piechart.h"
#include "qtext.h"
#include "reader.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <cmath>

#include <sys/stat.h>

#include "frmselectprinter.h"

namespace {

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

} // namespace

frmsimplechart::frmsimplechart(Platform& platform_, QWidget* parent)
    : QMainWindow(parent), platform(platform_)
{
    ui.setupUi(this);
    const double tx = platform.TwipsPerPixelX();
    const double ty = platform.TwipsPerPixelY();
    ui.barchart1->setTwipsPerPixel(tx, ty);
    ui.PieChart1->setTwipsPerPixel(tx, ty);
    // The designed client area, 9795 x 6135 twips.
    resize(qRound(9795 / tx), qRound(6135 / ty) + menuBar()->sizeHint().height());
    // Right presses on the window's own surface open the options panel.
    ui.centralSurface->installEventFilter(this);
    connectOptionsHandlers();
    connectOutputHandlers();
}

frmsimplechart::~frmsimplechart() = default;

QRadioButton* frmsimplechart::Option1(int index) const
{
    switch (index) {
    case 0: return ui.Option1_0;
    case 1: return ui.Option1_1;
    case 2: return ui.Option1_2;
    case 3: return ui.Option1_3;
    default: return nullptr;
    }
}

frmselectprinter& frmsimplechart::printerDialog()
{
    // Loaded on first use: the printer list is not read at start-up.
    if (!printerDialog_)
        printerDialog_ = std::make_unique<frmselectprinter>(platform, VPLOTGLOBAL, this);
    return *printerDialog_;
}

void frmsimplechart::closePrinterDialog()
{
    printerDialog_.reset();
}

bool frmsimplechart::failInput(const QString& file, const QString& problem)
{
    platform.MsgBox(QStringLiteral("Cannot use the file \"%1\":\n%2").arg(file, problem));
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
    ui.SSTab1->move(qRound(h / tx), qRound(v * 0.8 / ty));
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
    const vp::ReadResult settingsRead = vp::readSettingsFile(state.settingsPath);
    if (!settingsRead.ok()) {
        failInput(settings, toQ(settingsRead.problem));
        return;
    }

    std::string caption;
    const vp::ReadResult first = vp::firstReading(state, caption, '/');
    if (!first.ok()) {
        failInput(toQ(vp::definitionPath(state)), toQ(first.problem));
        return;
    }
    ui.txtCaption->setText(toQ(caption));

    ui.Combo3->clear();
    for (int i = 1; i <= 10; ++i)
        ui.Combo3->addItem(QString::number(i));
    ui.Combo3->setEditText(QStringLiteral("1"));

    BuildColorTables();

    // Font choices are made on first use with the default font.
    const QFont defaultFont = QApplication::font();
    QLineEdit* boxes[] = {ui.Text5, ui.Text6, ui.Text7, ui.Text8, ui.Text9, ui.Text20};
    vp::FontChoice* fonts[] = {&state.titleFont,  &state.itemAxisFont, &state.unitAxisFont,
                               &state.valuesFont, &state.legendFont,   &state.itemFont};
    for (int i = 0; i < 6; ++i) {
        vp::FontChoice& font = *fonts[i];
        if (!font.created) {
            font.created = true;
            font.name = fromQ(defaultFont.family());
            font.size = defaultFont.pointSizeF();
        }
        boxes[i]->setText(toQ(font.name));
    }

    if (state.chartKind == "SIMPLEPIECHART") {
        BuildPieChart();
        if (platform.HasEnded())
            return;
    }
    SetStackingMode();
    if (state.chartKind == "SIMPLEBARCHART")
        BuildSimpleBarChart();
    if (state.chartKind == "WSTACKEDBAR")
        BuildStackedBarChart();
    if (platform.HasEnded())
        return;

    // The data table lives only while the chart is built.
    chartData_ = vp::ChartData();
    platform.ResetMousePointer();
}

bool frmsimplechart::readChartData(bool stacked)
{
    chartData_ = vp::ChartData();
    const vp::ReadResult read = stacked ? vp::readStackedKind(state, VPLOTGLOBAL, chartData_)
                                        : vp::readSimpleKind(state, chartData_);
    if (read.status == vp::ReadStatus::CategoryLimit) {
        platform.MsgBox(toQ(read.problem));
        platform.EndProgram(kExitCategoryLimit);
        return false;
    }
    if (!read.ok())
        return failInput(toQ(vp::definitionPath(state)), toQ(read.problem));
    return true;
}

void frmsimplechart::Form_MouseDown(int button, int, float, float)
{
    if (button == 2)
        mnuoptions_Click();
}

bool frmsimplechart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.centralSurface && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // A press that a control on the surface (a chart, the panel or one
        // of its controls) leaves unhandled is passed on to the surface as
        // well: only a press on the bare surface counts.
        const QPoint at = mouse->position().toPoint();
        if (!ui.centralSurface->rect().contains(at) || ui.centralSurface->childAt(at))
            return false;
        int button = 0;
        switch (mouse->button()) {
        case Qt::LeftButton: button = 1; break;
        case Qt::RightButton: button = 2; break;
        case Qt::MiddleButton: button = 4; break;
        default: break;
        }
        int shift = 0;
        if (mouse->modifiers() & Qt::ShiftModifier) shift |= 1;
        if (mouse->modifiers() & Qt::ControlModifier) shift |= 2;
        if (mouse->modifiers() & Qt::AltModifier) shift |= 4;
        const double tx = platform.TwipsPerPixelX();
        const double ty = platform.TwipsPerPixelY();
        Form_MouseDown(button, shift, static_cast<float>(mouse->position().x() * tx),
                       static_cast<float>(mouse->position().y() * ty));
        return false;
    }
    return QMainWindow::eventFilter(watched, event);
}
