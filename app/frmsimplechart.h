// The main window: the menu bar, the two chart components, the six-tab
// options panel SSTab1 and the print canvas. The window is the program: its
// load handler Form_Load runs the whole start-up.
//
// The controls come from frmsimplechart.ui. The handlers are members of this
// class but live with their subsystem: start-up here in app/, the chart
// builds in chart/, the options panel in options/, saving, printing and the
// menu commands in output/.
#pragma once

#include "chartstate.h"
#include "platform.h"
#include "ui_frmsimplechart.h"

#include <QMainWindow>
#include <memory>

class frmselectprinter;
class QMouseEvent;

class frmsimplechart : public QMainWindow {
    Q_OBJECT
public:
    explicit frmsimplechart(Platform& platform, QWidget* parent = nullptr);
    ~frmsimplechart() override;

    Ui::frmsimplechart ui;
    vp::ChartState state;
    vp::VplotGlobal VPLOTGLOBAL;
    Platform& platform;

    // The common dialogs: CmDialog1 is shared by Browse and the save commands.
    FileDialogState CmDialog1;
    ColorDialogState DLGCOLOR;
    FontDialogState Dlgfont;

    AxisChart& barchart1() { return *ui.barchart1; }
    PieChart& PieChart1() { return *ui.PieChart1; }
    QRadioButton* Option1(int index) const;
    frmselectprinter& printerDialog();
    bool printerDialogLoaded() const { return printerDialog_ != nullptr; }
    void closePrinterDialog();

    // --- start-up (app/) ---
    void Form_Load();
    void Form_MouseDown(int button, int shift, float x, float y);

    // --- chart construction (chart/) ---
    void BuildColorTables();
    void BuildPieChart();
    void SetStackingMode();
    void BuildSimpleBarChart();
    void BuildStackedBarChart();

    // --- options panel (options/) ---
    void mnuoptions_Click();
    void TamCmd1_Click();
    void Command1_Click();
    void Command19_Click();
    void Command27_Click();
    void Command20_Click();
    void Command26_Click();
    void Command18_Click();
    void Command25_Click();
    void Command21_Click();
    void Command24_Click();
    void Command22_Click();
    void Command23_Click();
    void CmdColor_Click();
    void Command2_Click();
    void Command5_Click();
    void Command6_Click();
    void Command11_Click();
    void Command37_Click();
    void Command39_Click();
    void Combo1_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command3_Click();
    void Command4_Click();
    void Command10_Click();
    void Command41_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void Command38_Click();

    // --- output and menu commands (output/) ---
    void mnusave_Click();
    void mnusavebmp_Click();
    void mnusavetif_Click();
    void mnusavegif_Click();
    void mnusavePNG_Click();
    void mnuselectprinter_Click();
    void mnuprint_Click();
    void mnuexit_Click();
    void mnucopy_Click();
    void mnuswitch_Click();
    void mnudataview_Click();
    void mnureturn_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Each subsystem connects its own controls to its handlers.
    void connectOptionsHandlers();
    void connectOutputHandlers();

    // Start-up helpers.
    void placeWindowAndPanel();
    void fillScreenUnlessMaximized();
    bool failInput(const QString& file, const QString& problem);
    // Kind-specific reading into chartData_; false (program ended) on failure.
    bool readChartData(bool stacked);
    // Shared steps of the two bar chart builds.
    void placeBarChart();
    void addBarData();

    std::unique_ptr<frmselectprinter> printerDialog_;
    bool firstShown_ = false;
    // The start-up data, kept only while the chart is built.
    vp::ChartData chartData_;
};
