// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a file's content in one step. The new content goes into a
// temporary file in the target's folder, which is synced and then renamed
// over the target, so the target holds either its old content or all of the
// new one. File names are bytes and reach the file system unchanged.
#pragma once

#include "result.h"

#include <cstddef>
#include <string>

namespace vp
{

// The folder part of a path, as bytes: "." for a bare name, "/" for one
// in the root folder.
std::string folderOf(const std::string& path);

// Writes size bytes of data to path. A symbolic link to an existing file is
// written through; a dangling link, a folder or another non-regular target is
// refused. An existing file keeps its permission bits, and its owner and
// group where the process may set them. A failure carries the reason (the
// system's text for the error number, or why the target is refused) and the
// error number as its code, and leaves no temporary file behind.
//
// Where the file system has O_TMPFILE the temporary file has no name until
// it is complete, so a process killed while writing leaves nothing; otherwise
// it is named after the target plus "." and six random characters, and a
// kill (SIGKILL, power loss) while writing may leave it behind.
Result writeFileAtomically(const std::string& path, const char* data, std::size_t size);

} // namespace vp
