// SPDX-License-Identifier: GPL-3.0-or-later
// A Platform for tests: every dialog answers from a script queued by the
// test, message boxes are recorded, the screen, folder and command line are
// whatever the test sets.
#pragma once

#include "platform.h"

#include <QDialog>
#include <QFile>
#include <QStringList>
#include <deque>
#include <functional>

class ScriptedPlatform : public Platform
{
  public:
    // --- what the test sets ---
    double screenWidthTwips = 28800;  // 1920 px
    double screenHeightTwips = 16200; // 1080 px
    QString programFolder;
    QString commandLine;

    // An answer to a dialog: its outcome and, when Ok, what was chosen.
    template <class T> struct Answer {
        DialogOutcome outcome;
        T value;
    };
    std::deque<Answer<QColor>> colorAnswers;
    std::deque<Answer<FontDialogState>> fontAnswers;
    std::deque<Answer<QString>> openAnswers, saveAnswers;
    // Runs while a modal dialog is "shown"; it presses the dialog's buttons.
    std::function<void(QDialog&)> onModal;
    // Runs while the colour dialog is "shown".
    std::function<void()> whileColorShown;

    // --- what the test reads back ---
    QStringList messages;
    bool ended = false;
    int exitStatus = 0;
    int openShown = 0, saveShown = 0, modalShown = 0;
    FileDialogState lastSave;
    bool pointerReset = false;

    void chooseColor(const QColor& c) { colorAnswers.push_back({{}, c}); }
    void cancelColor() { colorAnswers.push_back({{kDialogCancelled, QString()}, {}}); }
    void failColor(int error, const QString& text) { colorAnswers.push_back({{error, text}, {}}); }
    void answerSave(const QString& name) { saveAnswers.push_back({{}, name}); }
    void answerOpen(const QString& name) { openAnswers.push_back({{}, name}); }

    void MsgBox(const QString& text) override { messages << text; }

    DialogOutcome ShowColor(ColorDialogState& dialog) override
    {
        if (whileColorShown)
            whileColorShown();
        const auto a = next(colorAnswers);
        if (a.outcome.error == kDialogOk)
            dialog.Color = a.value;
        return a.outcome;
    }

    DialogOutcome ShowFont(FontDialogState& dialog) override
    {
        const int flags = dialog.Flags;
        const auto a = next(fontAnswers);
        if (a.outcome.error != kDialogCancelled)
            dialog = a.value, dialog.Flags = flags;
        return a.outcome;
    }

    DialogOutcome ShowOpen(FileDialogState& dialog) override
    {
        ++openShown;
        return answerFile(openAnswers, dialog);
    }

    DialogOutcome ShowSave(FileDialogState& dialog) override
    {
        ++saveShown;
        lastSave = dialog;
        return answerFile(saveAnswers, dialog);
    }

    void ShowModal(QDialog& dialog) override
    {
        ++modalShown;
        dialog.show();
        if (onModal)
            onModal(dialog);
        dialog.hide();
    }

    double ScreenWidthTwips() const override { return screenWidthTwips; }
    double ScreenHeightTwips() const override { return screenHeightTwips; }
    double TwipsPerPixelX() const override { return 15.0; }
    double TwipsPerPixelY() const override { return 15.0; }
    std::string ProgramFolder() const override
    {
        return QFile::encodeName(programFolder).toStdString();
    }
    std::string CommandLine() const override
    {
        return QFile::encodeName(commandLine).toStdString();
    }

    void EndProgram(int status) override { ended = true, exitStatus = status; }
    bool HasEnded() const override { return ended; }
    void ResetMousePointer() override { pointerReset = true; }

  private:
    // The next answer queued; with none left the dialog is cancelled.
    template <class T> static Answer<T> next(std::deque<Answer<T>>& answers)
    {
        if (answers.empty())
            return {{kDialogCancelled, QString()}, {}};
        const Answer<T> a = answers.front();
        answers.pop_front();
        return a;
    }
    static DialogOutcome answerFile(std::deque<Answer<QString>>& answers, FileDialogState& dialog)
    {
        const auto a = next(answers);
        dialog.FileName = a.outcome.error == kDialogOk ? a.value : QString();
        return a.outcome;
    }
};
