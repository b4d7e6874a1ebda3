// The printer selection dialog: chooses the current printer and, opened for
// printing, the orientation and the number of copies. It hands its results
// to the main window through printCopies, printLandscape and printRequested.
#pragma once

#include "chartstate.h"
#include "platform.h"
#include "ui_frmselectprinter.h"

#include <QDialog>
#include <QPrinter>
#include <memory>

class frmselectprinter : public QDialog {
    Q_OBJECT
public:
    frmselectprinter(Platform& platform, vp::VplotGlobal& global, QWidget* parent = nullptr);
    ~frmselectprinter() override;

    Ui::frmselectprinter ui;

    // Makes the printer of that exact device name current; false if none.
    bool SelectPrinter(const QString& printer_name);
    // Prepares the dialog; runs once each time it is loaded.
    void Form_Load();
    void Command1_Click(); // Select
    void Command2_Click(); // Print
    void Command3_Click(); // Cancel

    // The current printer that printing draws on.
    QPrinter& currentPrinter();

private:
    Platform& platform_;
    vp::VplotGlobal& global_;
    std::unique_ptr<QPrinter> printer_;
};
