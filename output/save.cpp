// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of the File menu's "Save Image to a File as..." submenu: five
// pixel formats, then SVG and PDF.
// Each asks for a file name in the shared file dialog and has the chart
// component of the current kind write its picture there. The component does
// all the encoding; the format code alone decides it, whatever the name's
// extension.
#include "menucommands.h"

#include "axischart.h"
#include "changetofolder.h"
#include "piechart.h"
#include "qtext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

struct SaveFormat {
    const char* filter;
    int code;
    std::string vp::ChartState::*fileName; // the name kept for this format
};

const SaveFormat kJpg{"*.JPG (*.JPG)|*.JPG", FormatJPG, &vp::ChartState::jpgFileName};
const SaveFormat kBmp{"*.BMP (*.BMP)|*.BMP", FormatBMP, &vp::ChartState::bmpFileName};
const SaveFormat kTif{"*.TIF (*.TIF)|*.TIF", FormatTIF, &vp::ChartState::tifFileName};
const SaveFormat kGif{"*.GIF (*.GIF)|*.GIF", FormatGIF, &vp::ChartState::gifFileName};
const SaveFormat kPng{"*.PNG (*.PNG)|*.PNG", FormatPNG, &vp::ChartState::pngFileName};
const SaveFormat kSvg{"*.SVG (*.SVG)|*.SVG", FormatSVG, &vp::ChartState::svgFileName};
const SaveFormat kPdf{"*.PDF (*.PDF)|*.PDF", FormatPDF, &vp::ChartState::pdfFileName};

// Where the dialog opens while nothing has given it a folder yet: the user's
// Pictures folder when it exists, otherwise the home folder.
QString firstSaveFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

void saveChartImage(const ChartContext& parts, const SaveFormat& format)
{
    ChangeToFolder(parts.global, std::string());

    // Only title and filter are set: whatever else the background-image
    // browse left on the shared dialog stays in force.
    FileDialogState& dialog = parts.fileDialog;
    dialog.DialogTitle = QStringLiteral("Specify save file name");
    dialog.Filter = QString::fromLatin1(format.filter);
    if (dialog.InitDir.isEmpty())
        dialog.InitDir = firstSaveFolder();

    const DialogOutcome shown = parts.platform.ShowSave(dialog);
    std::string& fileName = parts.state.*format.fileName;
    fileName =
        shown.error == kDialogOk ? QFile::encodeName(dialog.FileName).toStdString() : std::string();
    if (shown.error != kDialogOk && shown.error != kDialogCancelled) {
        parts.platform.MsgBox(dialogErrorMessage(shown, "file"));
        return;
    }

    // A name of blanks only saves nothing; otherwise the name goes to the
    // component as typed, trailing blanks included. The dialog puts its
    // folder in front of what the user typed, so the test is on the name
    // part after the last separator.
    const std::size_t slash = fileName.find_last_of('/');
    const std::string typed = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    if (typed.find_first_not_of(' ') == std::string::npos)
        return;

    ChartComponent& chart = parts.currentChart();
    const vp::Result saved = chart.SaveImage(fileName, format.code);
    // The component replaces the file only once the picture is complete, so
    // a failed save leaves any earlier file as it was.
    if (!saved)
        parts.platform.MsgBox(QStringLiteral("The chart could not be saved as \"%1\".\n%2")
                                  .arg(toQ(fileName), QString::fromStdString(saved.message())));
}

} // namespace

void MenuCommands::mnusave_Click()
{
    saveChartImage(ctx_, kJpg);
}

void MenuCommands::mnusavebmp_Click()
{
    saveChartImage(ctx_, kBmp);
}

void MenuCommands::mnusavetif_Click()
{
    saveChartImage(ctx_, kTif);
}

void MenuCommands::mnusavegif_Click()
{
    saveChartImage(ctx_, kGif);
}

void MenuCommands::mnusavePNG_Click()
{
    saveChartImage(ctx_, kPng);
}

void MenuCommands::mnusavesvg_Click()
{
    saveChartImage(ctx_, kSvg);
}

void MenuCommands::mnusavepdf_Click()
{
    saveChartImage(ctx_, kPdf);
}
