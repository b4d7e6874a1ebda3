// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the menu bar, the two chart components, the options
// panel SSTab1 and the print canvas. The window runs the whole start-up in
// its load handler Form_Load, turns right presses on its surface into the
// "Option Menu" command, and assembles the parts: the options panel and the
// menu commands get the chart state, the platform and the two components
// through one ChartContext.
#pragma once

#include "chartcontext.h"
#include "chartstate.h"
#include "platform.h"
#include "result.h"

#include <QMainWindow>
#include <memory>

class MenuCommands;
class OptionsPanel;

namespace Ui
{
class frmsimplechart;
}

class frmsimplechart : public QMainWindow
{
    Q_OBJECT
  public:
    explicit frmsimplechart(Platform& platform, QWidget* parent = nullptr);
    ~frmsimplechart() override;

    // The start-up: settings, the definition file, the chart build.
    void Form_Load();

    // The parts as the window hands them out: the chart state, platform and
    // components, the options panel and the menu commands. The batch
    // renderer reads the built chart through them.
    const ChartContext& context() const { return context_; }
    OptionsPanel& optionsPanel() const;
    MenuCommands& menuCommands() const { return *commands_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Form_MouseDown(int button, int shift, float x, float y);
    void connectMenuCommands();
    void placeWindowAndPanel();
    void fillScreenUnlessMaximized();
    // Lays the shown chart out again for the client area and keeps the
    // options panel inside it.
    void followClientArea();
    bool fillsScreen() const;
    // The start-up steps after the settings file was found. A failure
    // carries the message to show and the exit status to end with.
    vp::Result loadChart();
    vp::Result buildChart();
    // Kind-specific reading.
    vp::Result readChartData(bool stacked, vp::ChartData& data);

    std::unique_ptr<Ui::frmsimplechart> ui;
    vp::ChartState state;
    vp::VplotGlobal VPLOTGLOBAL;
    Platform& platform;
    // The open/save dialog shared by Browse and the save commands.
    FileDialogState CmDialog1;
    ChartContext context_;
    std::unique_ptr<MenuCommands> commands_;
    bool firstShown_ = false;
    // The chart follows the window once it has settled (see fillScreenUnlessMaximized).
    bool followsWindow_ = false;
    // Where the options panel goes when the window has room for it.
    QPoint panelHome_;
};
