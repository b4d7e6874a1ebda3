#include "batchplatform.h"

#include <cstdio>

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
    // One write per message: the workers of a batch share standard error.
    const QByteArray line = "VELDRAPLOT: " + (messagePrefix + shown).toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, line.size(), stderr);
}

void BatchPlatform::EndProgram(int status)
{
    ended_ = true;
    status_ = status;
}
