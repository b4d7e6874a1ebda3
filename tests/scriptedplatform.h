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

    struct ColorAnswer {
        DialogOutcome outcome;
        QColor color;
    };
    struct FontAnswer {
        DialogOutcome outcome;
        FontDialogState font;
    };
    struct FileAnswer {
        DialogOutcome outcome;
        QString fileName;
    };
    std::deque<ColorAnswer> colorAnswers;
    std::deque<FontAnswer> fontAnswers;
    std::deque<FileAnswer> openAnswers;
    std::deque<FileAnswer> saveAnswers;
    // Runs while a modal dialog is "shown"; it presses the dialog's buttons.
    std::function<void(QDialog&)> onModal;

    // --- what the test reads back ---
    QStringList messages;
    bool ended = false;
    int exitStatus = 0;
    int openShown = 0, saveShown = 0, modalShown = 0;
    FileDialogState lastOpen, lastSave;
    bool pointerReset = false;

    void chooseColor(const QColor& c) { colorAnswers.push_back({{}, c}); }
    void cancelColor() { colorAnswers.push_back({{kDialogCancelled, QString()}, {}}); }
    void failColor(int error, const QString& text) { colorAnswers.push_back({{error, text}, {}}); }
    void answerSave(const QString& name) { saveAnswers.push_back({{}, name}); }
    void answerOpen(const QString& name) { openAnswers.push_back({{}, name}); }

    void MsgBox(const QString& text) override { messages << text; }

    DialogOutcome ShowColor(ColorDialogState& dialog) override
    {
        if (colorAnswers.empty())
            return {kDialogCancelled, QString()};
        const ColorAnswer a = colorAnswers.front();
        colorAnswers.pop_front();
        if (a.outcome.error == kDialogOk)
            dialog.Color = a.color;
        return a.outcome;
    }

    int lastFontFlags = -1;
    DialogOutcome ShowFont(FontDialogState& dialog) override
    {
        lastFontFlags = dialog.Flags;
        if (fontAnswers.empty())
            return {kDialogCancelled, QString()};
        const FontAnswer a = fontAnswers.front();
        fontAnswers.pop_front();
        if (a.outcome.error != kDialogCancelled) {
            const int flags = dialog.Flags;
            dialog = a.font;
            dialog.Flags = flags;
        }
        return a.outcome;
    }

    DialogOutcome ShowOpen(FileDialogState& dialog) override
    {
        ++openShown;
        lastOpen = dialog;
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

    void EndProgram(int status) override
    {
        ended = true;
        exitStatus = status;
    }
    bool HasEnded() const override { return ended; }
    void ResetMousePointer() override { pointerReset = true; }

  private:
    static DialogOutcome answerFile(std::deque<FileAnswer>& answers, FileDialogState& dialog)
    {
        if (answers.empty()) {
            dialog.FileName.clear();
            return {kDialogCancelled, QString()};
        }
        const FileAnswer a = answers.front();
        answers.pop_front();
        dialog.FileName = a.outcome.error == kDialogOk ? a.fileName : QString();
        return a.outcome;
    }
};
