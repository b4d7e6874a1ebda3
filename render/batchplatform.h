// SPDX-License-Identifier: GPL-3.0-or-later
// Platform for the batch renderer: no window is shown, message boxes go to
// standard error (one line each, control characters escaped), every dialog
// answers Cancel.
#pragma once

#include "platform.h"

class BatchPlatform : public Platform
{
  public:
    BatchPlatform(std::string folder, std::string commandLine, double screenWidthPx,
                  double screenHeightPx);

    void MsgBox(const QString& text) override;
    DialogOutcome ShowColor(ColorDialogState&) override { return cancelled(); }
    DialogOutcome ShowFont(FontDialogState&) override { return cancelled(); }
    DialogOutcome ShowOpen(FileDialogState&) override { return cancelled(); }
    DialogOutcome ShowSave(FileDialogState&) override { return cancelled(); }
    void ShowModal(QDialog&) override {}

    double ScreenWidthTwips() const override { return width_ * 15.0; }
    double ScreenHeightTwips() const override { return height_ * 15.0; }
    double TwipsPerPixelX() const override { return 15.0; }
    double TwipsPerPixelY() const override { return 15.0; }
    std::string ProgramFolder() const override { return folder_; }
    std::string CommandLine() const override { return commandLine_; }
    // The renderer draws as with a valid settings file when none is given.
    bool SettingsOptional() const override { return true; }

    void EndProgram(int status) override;
    bool HasEnded() const override { return ended_; }
    int exitStatus() const { return status_; }
    int messageCount() const { return messages_; }
    void ResetMousePointer() override {}

    // Put before every message (a batch list's name and line).
    QString messagePrefix;
    // A path that messages show as "standard input" (where it was kept).
    QString standardInputPath;

  private:
    static DialogOutcome cancelled() { return {kDialogCancelled, QString()}; }
    std::string folder_;
    std::string commandLine_;
    double width_;
    double height_;
    bool ended_ = false;
    int status_ = 0;
    int messages_ = 0;
};
