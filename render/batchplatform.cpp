// SPDX-License-Identifier: GPL-3.0-or-later
#include "batchplatform.h"

#include "job.h"

BatchPlatform::BatchPlatform(std::string folder, std::string commandLine, double screenWidthPx,
                             double screenHeightPx)
    : folder_(std::move(folder)), commandLine_(std::move(commandLine)), width_(screenWidthPx),
      height_(screenHeightPx)
{
}

void BatchPlatform::MsgBox(const QString& text)
{
    ++messages_;
    QString shown = text;
    if (!standardInputPath.isEmpty())
        shown.replace('"' + standardInputPath + '"', QStringLiteral("standard input"));
    // A message box's "file:\nproblem" is one line on standard error.
    shown.replace(QLatin1String(":\n"), QLatin1String(": "));
    render::printMessage("VELDRAPLOT", (messagePrefix + shown).toStdString());
}

void BatchPlatform::EndProgram(int status)
{
    ended_ = true;
    status_ = status;
}
