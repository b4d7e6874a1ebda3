// SPDX-License-Identifier: GPL-3.0-or-later
// The shared folder routine of the global module: switches the current drive
// and directory to those a folder path names.
#pragma once

#include "chartstate.h"

#include <string>

// If the path's second character is ':', its first two characters become the
// current drive, kept in global.currentDrive (Linux has no drives, so nothing
// else changes). If the path ends with the separator, the current directory
// becomes the path without that last character. Any other path, the empty
// one included, leaves the directory alone, and so does a directory that
// cannot be entered.
void ChangeToFolder(vp::VplotGlobal& global, const std::string& path, char separator = '\\');
