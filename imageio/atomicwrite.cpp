// SPDX-License-Identifier: GPL-3.0-or-later
#include "atomicwrite.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vp
{
namespace
{

// target + "." + six random letters or digits.
std::string besideName(const std::string& target)
{
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::string name = target + '.';
    for (int i = 0; i < 6; ++i)
        name += kChars[random() % (sizeof kChars - 1)];
    return name;
}

// The temporary file: closed and removed unless it was renamed over the target.
struct TempFile {
    int fd = -1;
    std::string name; // empty while it has none (O_TMPFILE)
    ~TempFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!name.empty())
            ::unlink(name.c_str());
    }
};

// Creates a new file beside target under a free name; -1 with errno on failure.
int createBeside(const std::string& target, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = besideName(target);
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                name.clear();
            return fd;
        }
    }
    name.clear();
    return -1;
}

// Gives an O_TMPFILE file a free name beside target; false with errno.
bool nameBeside(int fd, const std::string& target, std::string& name)
{
    char self[64];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = besideName(target);
        int done = ::linkat(AT_FDCWD, self, AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW);
        // Without /proc only a privileged process can link the descriptor itself.
        if (done != 0 && errno == ENOENT)
            done = ::linkat(fd, "", AT_FDCWD, candidate.c_str(), AT_EMPTY_PATH);
        if (done == 0) {
            name = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

Result failed(int code, const std::string& why)
{
    return Result::failure(why, code);
}

Result failedErrno()
{
    const int code = errno;
    return failed(code, std::strerror(code));
}

// The file that is replaced: the path itself, or what a link points to;
// exists tells whether there is one (old then holds its status).
Result findTarget(const std::string& path, std::string& target, struct stat& old, bool& exists)
{
    target = path;
    exists = ::lstat(path.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failedErrno();
    if (exists && S_ISLNK(old.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (!resolved)
            return errno == ENOENT
                       ? failed(ENOENT, "it is a symbolic link to a file that does not exist")
                       : failedErrno();
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &old) != 0)
            return failedErrno();
    }
    if (exists && S_ISDIR(old.st_mode))
        return failed(EISDIR, std::strerror(EISDIR));
    if (exists && !S_ISREG(old.st_mode))
        return failed(EINVAL, "it is not a regular file");
    return {};
}

// A new file in target's folder; file systems (and kernels) without
// O_TMPFILE get a named one.
Result createTemporary(const std::string& target, TempFile& temp)
{
    temp.fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (temp.fd < 0)
        temp.fd = createBeside(target, temp.name);
    return temp.fd < 0 ? failedErrno() : Result();
}

// The replaced file's owner, group and permission bits; owner first, as
// changing it may clear permission bits.
Result keepOwnerAndMode(int fd, const struct stat& old)
{
    if (::fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return ::fchmod(fd, old.st_mode & 0777) != 0 ? failedErrno() : Result();
}

Result writeAll(int fd, const char* data, std::size_t size)
{
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return failedErrno();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

// Syncs the complete temporary file, names it if it has no name yet, and
// renames it over the target.
Result commit(TempFile& temp, const std::string& target)
{
    if (::fsync(temp.fd) != 0)
        return failedErrno();
    if (temp.name.empty() && !nameBeside(temp.fd, target, temp.name))
        return failedErrno();
    if (::rename(temp.name.c_str(), target.c_str()) != 0)
        return failedErrno();
    temp.name.clear(); // it is the target now
    // Make the rename itself durable; a failure here loses nothing written.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return {};
}

} // namespace

Result writeFileAtomically(const std::string& path, const char* data, std::size_t size)
{
    if (path.empty())
        return failed(ENOENT, std::strerror(ENOENT));
    std::string target;
    struct stat old = {};
    bool exists = false;
    TempFile temp;
    Result step = findTarget(path, target, old, exists);
    if (step)
        step = createTemporary(target, temp);
    if (step && exists)
        step = keepOwnerAndMode(temp.fd, old);
    if (step)
        step = writeAll(temp.fd, data, size);
    if (step)
        step = commit(temp, target);
    return step;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace vp
