#include "seqfile.h"

#include "linesplit.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vp
{

namespace
{
constexpr std::size_t kBufferSize = 64 * 1024;
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
    // Opened first and checked after, so that nothing can swap the file for
    // a pipe in between. O_NONBLOCK keeps the open of a pipe from waiting
    // for a writer; folders, devices and pipes are then refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        errno_ = errno;
        return fail(errno_ == ENOENT || errno_ == ENOTDIR ? SeqError::Missing
                                                          : SeqError::Unreadable);
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(SeqError::NotAFile);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
