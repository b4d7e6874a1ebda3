// SPDX-License-Identifier: GPL-3.0-or-later
// The one interface through which the program meets the desktop: modal
// dialogs, message boxes, the screen, the program folder, the command line
// and ending the program. The program uses QtPlatform; tests and the batch
// renderer use their own implementations, so the same handlers run
// everywhere without blocking on a dialog.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <cmath>
#include <string>

class QDialog;

// Error numbers a common dialog reports.
enum : int {
    kDialogOk = 0,
    kDialogCancelled = 32755, // Cancel, reported as an error and ignored
};

// The shared open/save file dialog. Settings made by one command stay for the
// next, as with one dialog object kept by the window.
struct FileDialogState {
    QString DialogTitle;
    QString Filter; // "text|pattern|text|pattern"
    int FilterIndex = 1;
    QString InitDir;
    int Flags = 0;
    QString FileName; // the chosen path after a successful show
};

// Open-file flags used by the Browse button.
enum : int {
    cdlOFNHideReadOnly = 0x4,
    cdlOFNFileMustExist = 0x1000,
    cdlOFNExplorer = 0x80000,
    cdlOFNLongNames = 0x200000,
};

struct ColorDialogState {
    int Flags = 0;
    QColor Color;
};

struct FontDialogState {
    int Flags = 0;
    QString FontName;
    double FontSize = 0.0;
    bool FontBold = false;
    bool FontItalic = false;
    bool FontUnderline = false;
    bool FontStrikethru = false;
};

// Result of showing a dialog: 0, kDialogCancelled, or another error number
// with its description.
struct DialogOutcome {
    int error = kDialogOk;
    QString description;
};

// What the user is told when a dialog failed (other than by Cancel):
// "Error <n> selecting <what>.", a carriage return and line feed, then the
// error's description. `what` is "color" or "file".
inline QString dialogErrorMessage(const DialogOutcome& outcome, const char* what)
{
    return QStringLiteral("Error %1 selecting %2.\r\n%3")
        .arg(outcome.error)
        .arg(QLatin1String(what), outcome.description);
}

// Where a window is placed to be centred on the screen, along one axis:
// (screen - window), both in twips, rounded to a whole number with halves
// to the even neighbour, then halved with the remainder dropped.
inline long centringOffset(double screen, double window)
{
    const long difference = std::lrint(std::nearbyint(screen - window));
    return difference / 2;
}

class Platform
{
  public:
    virtual ~Platform() = default;

    // Message box with an OK button only and the title "VELDRAPLOT".
    virtual void MsgBox(const QString& text) = 0;

    virtual DialogOutcome ShowColor(ColorDialogState& dialog) = 0;
    virtual DialogOutcome ShowFont(FontDialogState& dialog) = 0;
    virtual DialogOutcome ShowOpen(FileDialogState& dialog) = 0;
    virtual DialogOutcome ShowSave(FileDialogState& dialog) = 0;

    // Shows a dialog window modally; returns when it is hidden or closed.
    virtual void ShowModal(QDialog& dialog) = 0;

    // The screen in twips (1440 to the inch) and the size of one pixel.
    virtual double ScreenWidthTwips() const = 0;
    virtual double ScreenHeightTwips() const = 0;
    virtual double TwipsPerPixelX() const = 0;
    virtual double TwipsPerPixelY() const = 0;

    // The executable's folder, without a trailing separator, and the whole
    // command line after the program name: both bytes, as the system gave
    // them, so that any file name reaches the file system unchanged.
    virtual std::string ProgramFolder() const = 0;
    virtual std::string CommandLine() const = 0;
    // True when an empty command line means "no settings file" rather than
    // a missing one: start-up then reads none.
    virtual bool SettingsOptional() const { return false; }

    // Ends the program with an exit status. Callers return right after it.
    virtual void EndProgram(int status) = 0;
    virtual bool HasEnded() const = 0;

    // Sets the screen's mouse pointer back to the normal arrow.
    virtual void ResetMousePointer() = 0;
};
