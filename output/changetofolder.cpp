// SPDX-License-Identifier: GPL-3.0-or-later
#include "changetofolder.h"

#include "qtext.h"

#include <QDir>

void ChangeToFolder(vp::VplotGlobal& global, const std::string& path, char separator)
{
    if (path.size() >= 2 && path[1] == ':')
        global.currentDrive = path.substr(0, 2);
    if (!path.empty() && path.back() == separator)
        QDir::setCurrent(toQ(path.substr(0, path.size() - 1)));
}
