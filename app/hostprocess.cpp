// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostprocess.h"

#include "atomicwrite.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fontconfig/fontconfig.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vp
{
namespace
{

std::string resolved(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return {};
    std::string out = real;
    std::free(real);
    return out;
}

// XDG_RUNTIME_DIR when Qt can use it as it is: an absolute path to a folder
// of the user's that nobody else may enter; null otherwise (unset, relative,
// missing, shared or someone else's), and Qt would create or complain.
const char* usableRuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st = {};
    if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode) &&
        st.st_uid == ::getuid() && (st.st_mode & 0777) == 0700)
        return runtime;
    return nullptr;
}

} // namespace

std::string programFolder(const char* argv0)
{
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n > 0 && static_cast<std::size_t>(n) < exe.size()) {
        exe.resize(static_cast<std::size_t>(n));
        return folderOf(exe);
    }
    const char* path = std::getenv("PATH");
    return folderOnPath(argv0 ? argv0 : "", path ? path : "");
}

std::string folderOnPath(const std::string& name, const std::string& dirs)
{
    if (name.find('/') != std::string::npos)
        return folderOf(resolved(name).empty() ? name : resolved(name));
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        struct stat st = {};
        if (!name.empty() && ::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return folderOf(resolved(candidate).empty() ? candidate : resolved(candidate));
        start = end + 1;
    }
    return ".";
}

std::string joinedArguments(int argc, char* argv[])
{
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

void occupyClosedStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        const int opened = ::open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

std::string lendRuntimeFolder()
{
    if (usableRuntimeFolder())
        return {};
    const char* tmp = std::getenv("TMPDIR");
    struct stat st = {};
    std::string folder = tmp && ::stat(tmp, &st) == 0 && S_ISDIR(st.st_mode) ? tmp : "/tmp";
    folder += "/veldraplot-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return {};
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    return folder;
}

void takeBackRuntimeFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    ::rmdir(folder.c_str());
    ::unsetenv("XDG_RUNTIME_DIR");
}

void noSessionBusLaunch()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return;
    if (const char* runtime = usableRuntimeFolder()) {
        struct stat bus;
        if (::stat((std::string(runtime) + "/bus").c_str(), &bus) == 0 && S_ISSOCK(bus.st_mode) &&
            bus.st_uid == ::getuid())
            return;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

void loadFontConfiguration()
{
    FcInit();
}

const char kNoFontWarning[] = "no font is installed, so the chart is drawn without its text:"
                              " install one, such as the package fonts-dejavu-core";

bool anyFontInstalled()
{
    // The fonts the configuration has loaded already (Qt loads them too):
    // looked at, not listed again.
    FcConfig* config = FcConfigGetCurrent();
    const FcFontSet* fonts = config ? FcConfigGetFonts(config, FcSetSystem) : nullptr;
    return fonts && fonts->nfont > 0;
}

} // namespace vp
