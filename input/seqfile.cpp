// SPDX-License-Identifier: GPL-3.0-or-later
#include "seqfile.h"

#include "linesplit.h"

#include <cerrno>
#include <cstring>

#include <algorithm>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vp
{

namespace
{
constexpr std::size_t kBufferSize = 64 * 1024;

// Standard input as far as it has been read, for readStandardInputAs.
struct StandardInputSpool {
    std::string name; // the path that reads it; empty: none
    int kept = -1;    // an anonymous file holding what was read
    long long size = 0;
    bool ended = false;
};

StandardInputSpool& spool()
{
    static StandardInputSpool kept;
    return kept;
}

// Up to `size` bytes of standard input from `at` on: what was kept, else
// read now and kept. 0 at the end, -1 on failure.
ssize_t readSpool(long long at, char* data, std::size_t size)
{
    StandardInputSpool& s = spool();
    if (at < s.size)
        return ::pread(s.kept, data, std::min<std::size_t>(size, std::size_t(s.size - at)), at);
    ssize_t got = 0;
    while (!s.ended && (got = ::read(STDIN_FILENO, data, size)) < 0 && errno == EINTR) {
    }
    s.ended = s.ended || got == 0;
    for (ssize_t put = 0, n = 0; put < got; put += n)
        if ((n = ::pwrite(s.kept, data + put, std::size_t(got - put), s.size + put)) < 0)
            return -1;
    s.size += std::max<ssize_t>(got, 0);
    return got;
}

} // namespace

int openRegularFile(const std::string& path, SeqError& error, int& osError)
{
    // O_NONBLOCK keeps the open of a pipe from waiting for a writer;
    // checking the descriptor afterwards leaves nothing to swap in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    osError = errno;
    struct stat st = {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        return fd;
    }
    error = fd >= 0                                   ? SeqError::NotAFile
            : osError == ENOENT || osError == ENOTDIR ? SeqError::Missing
                                                      : SeqError::Unreadable;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

void SeqFile::readStandardInputAs(const std::string& name)
{
    StandardInputSpool& s = spool();
    s.name = name;
    if (s.kept < 0)
        s.kept = ::memfd_create("standard input", MFD_CLOEXEC);
}

SeqFile::~SeqFile()
{
    if (file_)
        std::fclose(file_);
}

bool SeqFile::open(const std::string& path)
{
    if (path.empty())
        return fail(SeqError::Missing);
    if (path == spool().name) {
        errno_ = EIO;
        spooled_ = spool().kept >= 0;
        return spooled_ || fail(SeqError::Unreadable);
    }
    SeqError error = SeqError::None;
    const int fd = openRegularFile(path, error, errno_);
    if (fd < 0)
        return fail(error);
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        errno_ = errno;
        ::close(fd);
        return fail(SeqError::Unreadable);
    }
    return true;
}

bool SeqFile::fail(SeqError e)
{
    if (error_ == SeqError::None)
        error_ = e;
    return false;
}

bool SeqFile::refill()
{
    if (spooled_) {
        buf_.resize(kBufferSize);
        const ssize_t n = readSpool(spoolAt_, buf_.data(), buf_.size());
        errno_ = errno;
        buf_.resize(std::size_t(std::max<ssize_t>(n, 0)));
        pos_ = 0;
        spoolAt_ += std::max<ssize_t>(n, 0);
        spooled_ = n > 0;
        return n > 0 || (n < 0 && fail(SeqError::Unreadable));
    }
    if (!file_)
        return false;
    buf_.resize(kBufferSize);
    const std::size_t n = std::fread(buf_.data(), 1, buf_.size(), file_);
    buf_.resize(n);
    pos_ = 0;
    if (n == 0) {
        if (std::ferror(file_)) {
            errno_ = errno;
            fail(SeqError::Unreadable);
        }
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

// The next byte (0..255) without consuming it, or -1 at the end.
int SeqFile::peek()
{
    if (pos_ >= buf_.size() && !refill())
        return -1;
    return static_cast<unsigned char>(buf_[pos_]);
}

bool SeqFile::atEnd()
{
    return peek() < 0;
}

void SeqFile::skipLineEnd()
{
    const int c = peek();
    if (c != '\r' && c != '\n')
        return;
    ++pos_;
    if (c == '\r' && peek() == '\n')
        ++pos_;
}

bool SeqFile::readField(std::string& out)
{
    out.clear();
    if (error_ != SeqError::None)
        return false;
    if (atEnd())
        return fail(SeqError::EndOfFile);
    std::size_t used = 0;
    int c;
    while ((c = peek()) == ' ') {
        ++pos_;
        if (++used > kMaxLineLength)
            return fail(SeqError::LineTooLong);
    }
    bool quoted = false;
    if (c == '"') {
        quoted = true;
        ++pos_;
    }
    // Field text: up to the closing quote (quoted) or the separator.
    while ((c = peek()) >= 0 && c != '\r' && c != '\n') {
        if (c == 0)
            return fail(SeqError::NulByte);
        if (quoted ? c == '"' : c == ',')
            break;
        if (++used > kMaxLineLength)
            return fail(SeqError::LineTooLong);
        out.push_back(static_cast<char>(c));
        ++pos_;
    }
    if (quoted && c == '"') {
        ++pos_;
        // Whatever follows the closing quote up to the separator is dropped.
        while ((c = peek()) >= 0 && c != ',' && c != '\r' && c != '\n') {
            if (c == 0)
                return fail(SeqError::NulByte);
            if (++used > kMaxLineLength)
                return fail(SeqError::LineTooLong);
            ++pos_;
        }
    }
    if (c == ',')
        ++pos_;
    else
        skipLineEnd();
    return error_ == SeqError::None;
}

bool SeqFile::readWholeNumber(std::int16_t& out)
{
    std::string text;
    if (!readField(text))
        return false;
    badField_ = text.substr(0, 40);
    if (!isWholeNumber(text))
        return fail(SeqError::NotANumber);
    if (!roundToInt16(numericValue(text), out))
        return fail(SeqError::OutOfRange);
    return true;
}

bool SeqFile::readLine(std::string& out)
{
    out.clear();
    if (error_ != SeqError::None)
        return false;
    if (atEnd())
        return fail(SeqError::EndOfFile);
    int c;
    while ((c = peek()) >= 0 && c != '\r' && c != '\n') {
        if (c == 0)
            return fail(SeqError::NulByte);
        if (out.size() >= kMaxLineLength)
            return fail(SeqError::LineTooLong);
        out.push_back(static_cast<char>(c));
        ++pos_;
    }
    skipLineEnd();
    return error_ == SeqError::None;
}

std::string SeqFile::errorText() const
{
    switch (error_) {
    case SeqError::None:
        return {};
    case SeqError::EndOfFile:
        return "the file ends too early";
    case SeqError::NotANumber:
        return "\"" + badField_ + "\" is not a whole number";
    case SeqError::OutOfRange:
        return "\"" + badField_ + "\" is not a whole number from -32768 to 32767";
    case SeqError::LineTooLong:
        return "it has a line longer than 1 MiB: it is not a chart text file";
    case SeqError::NulByte:
        return "it contains NUL bytes: it is not a text file";
    case SeqError::Missing:
        return "the file does not exist";
    case SeqError::NotAFile:
        return "it is a folder or device, not a file";
    case SeqError::Unreadable:
        return std::string("the file cannot be read: ") + std::strerror(errno_);
    }
    return {};
}

} // namespace vp
