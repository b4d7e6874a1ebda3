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
    std::fprintf(stderr, "VELDRAPLOT: %s\n", text.toLocal8Bit().constData());
}

void BatchPlatform::EndProgram(int status)
{
    ended_ = true;
    status_ = status;
}
