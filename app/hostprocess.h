// SPDX-License-Identifier: GPL-3.0-or-later
// What both programs take from their process before Qt starts: the program
// folder and the command line as bytes, and standard streams that are open.
#pragma once

#include <string>

namespace vp
{

// The folder of the running executable, without a trailing separator, as
// bytes (from /proc/self/exe, else from argv0 and PATH).
std::string programFolder(const char* argv0);
// Without /proc: the folder of the program started as `name`, searched along
// the PATH value `dirs` when the name holds no slash (an empty entry is the
// current folder); "." when no folder holds an executable file of that name.
std::string folderOnPath(const std::string& name, const std::string& dirs);

// The arguments after the program name joined by single blanks, as bytes.
std::string joinedArguments(int argc, char* argv[]);

// A standard stream (0, 1 or 2) that the caller left closed is opened on
// /dev/null for reading only: writes to it still fail, and no file the
// program opens later can take its number and receive the stream's text.
void occupyClosedStandardStreams();

// Qt looks for a sandbox marker in the runtime folder while it starts, and
// creates that folder (under /tmp, or even /) when XDG_RUNTIME_DIR is unset,
// or creates or complains about the one it names when that is no private
// folder of the user's. Called before Qt starts, this points such an
// XDG_RUNTIME_DIR (unset, relative, missing, shared or someone else's) at a
// new private empty folder and returns its name ("" when nothing was lent);
// takeBackRuntimeFolder, called once Qt has started, removes it and unsets
// the variable.
std::string lendRuntimeFolder();
void takeBackRuntimeFolder(const std::string& folder);

// With no session bus to be found (none named in the environment, and no
// bus socket of the user's in the runtime folder, where libdbus looks next),
// libdbus would try to start one (on X11 it forks and runs dbus-launch) as
// soon as Qt asks for it. A bus started that way serves nothing else, and the
// program starts no other program: the address is then set to "disabled:",
// which fails at once. A session that has a bus keeps it (screen readers,
// desktop dialogs). Call before lendRuntimeFolder.
void noSessionBusLaunch();

// Reads the font configuration (fontconfig parses some sixty files) now,
// for every process forked from this one to inherit. Only while the process
// has a single thread: fontconfig reads the environment as it goes.
void loadFontConfiguration();

// Whether the font configuration knows of any font at all: without one,
// charts are drawn without their text.
bool anyFontInstalled();

// The warning for anyFontInstalled() == false, naming the package to install.
extern const char kNoFontWarning[];

} // namespace vp
