// SPDX-License-Identifier: GPL-3.0-or-later
// The printer selection dialog: chooses the current printer and, opened for
// printing, the orientation and the number of copies. It hands its results
// to the print command through printCopies, printLandscape and printRequested.
//
// The dialog has three states: closed (not loaded), shown, and hidden but
// loaded. The main window owns it as its parent; the menu commands load it
// (printerDialog(), which runs Form_Load) and close it
// (closePrinterDialog() destroys it). Select, Cancel, Escape and
// the window frame's close button do not destroy the dialog themselves: they
// hide it and set closeRequested(), and the menu commands, once ShowModal has
// returned, close it when that flag is set. Print only hides it, so it stays
// loaded with its choices.
#pragma once

#include "chartstate.h"
#include "platform.h"

#include <QDialog>
#include <QPrinter>
#include <QStringList>
#include <cstdint>
#include <memory>

class QPrinterInfo;

namespace Ui
{
class frmselectprinter;
}

namespace vp
{

// The number in the copies box: the text's leading number, halves rounded to
// the even neighbour. False when it does not fit a 16-bit signed integer.
bool copiesFromText(const QString& text, std::int16_t& copies);

} // namespace vp

// The program's current printer, the one that printing draws on. It starts
// as the system's default printer (none when no printer is installed) and
// stays current when the dialog is closed and loaded again. The menu
// commands own it.
class CurrentPrinter
{
  public:
    // Device name of the current printer; empty when there is none.
    QString name();
    // The current printer, or nullptr when there is none.
    QPrinter* printer();
    // Makes that printer current; false (nothing changed) if it is unusable.
    bool makeCurrent(const QPrinterInfo& info);
    // Forgets the current printer; the next use takes the system default.
    void reset();

  private:
    void ensureStarted();
    bool started_ = false;
    QString name_;
    std::unique_ptr<QPrinter> printer_;
};

class frmselectprinter : public QDialog
{
    Q_OBJECT
  public:
    // Loading the dialog runs Form_Load.
    frmselectprinter(Platform& platform, vp::VplotGlobal& global, CurrentPrinter& current,
                     QWidget* parent = nullptr);
    ~frmselectprinter() override;

    // Makes the printer of that exact device name current; false if none.
    bool SelectPrinter(QString printer_name);
    // Prepares the dialog; runs once each time it is loaded.
    void Form_Load();
    void Command1_Click(); // Select
    void Command2_Click(); // Print
    void Command3_Click(); // Cancel

    // True after Select, Cancel or a close by the frame: the owner is to
    // close (destroy) the dialog once the modal show has returned.
    bool closeRequested() const { return closeRequested_; }

    // The current printer that printing draws on; nullptr when none.
    QPrinter* currentPrinter();

  public slots:
    // Escape and the frame's close button act as Cancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Reads the copies box; shows a message and returns false when the
    // number is out of range.
    bool readCopies(std::int16_t& copies);
    void requestClose();

    std::unique_ptr<Ui::frmselectprinter> ui;
    Platform& platform_;
    vp::VplotGlobal& global_;
    CurrentPrinter& current_;
    bool closeRequested_ = false;
};
