// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop implementation of Platform: real dialogs and message boxes,
// the primary screen, the executable's folder and the process's arguments.
#pragma once

#include "platform.h"

#include <QStringList>

class QFileDialog;

class QtPlatform : public Platform
{
  public:
    QtPlatform(std::string programFolder, std::string commandLine);
    ~QtPlatform() override;

    void MsgBox(const QString& text) override;
    DialogOutcome ShowColor(ColorDialogState& dialog) override;
    DialogOutcome ShowFont(FontDialogState& dialog) override;
    DialogOutcome ShowOpen(FileDialogState& dialog) override;
    DialogOutcome ShowSave(FileDialogState& dialog) override;
    void ShowModal(QDialog& dialog) override;

    double ScreenWidthTwips() const override;
    double ScreenHeightTwips() const override;
    double TwipsPerPixelX() const override;
    double TwipsPerPixelY() const override;

    std::string ProgramFolder() const override { return programFolder_; }
    std::string CommandLine() const override { return commandLine_; }

    void EndProgram(int status) override;
    bool HasEnded() const override { return ended_; }
    int exitStatus() const { return status_; }

    void ResetMousePointer() override;

    // Turns "text|pattern|text|pattern" into Qt's name filters.
    static QStringList nameFilters(const QString& filter);

  private:
    DialogOutcome showFileDialog(FileDialogState& dialog, bool save);
    std::string programFolder_;
    std::string commandLine_;
    bool ended_ = false;
    int status_ = 0;
};
