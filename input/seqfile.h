// SPDX-License-Identifier: GPL-3.0-or-later
// Sequential reading of a text file with the two reads the input files use:
// a field read and a line read, plus an end-of-file test.
//
// The file is streamed through a small buffer, so a huge file costs no more
// memory than one line. CRLF, LF and CR all end a line. Bytes are passed on
// as they are (no decoding); only NUL bytes are refused, as a text file never
// holds them. A line (or field) longer than kMaxLineLength is refused too:
// no chart file comes near it, and the cap keeps a binary file from being
// gathered into memory as one endless "line".
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vp
{

enum class SeqError {
    None,
    EndOfFile,   // a read found nothing left
    NotANumber,  // a whole-number field that is not digits with an optional sign
    OutOfRange,  // a whole-number field that does not fit 16 bits
    LineTooLong, // more than kMaxLineLength bytes before a line end
    NulByte,     // a NUL byte: not a text file
    Missing,     // no file at the path (or an empty path)
    NotAFile,    // a folder or another non-regular file
    Unreadable,  // open or read failed
};

// Opens a path for reading without waiting (a pipe without a writer would
// block an ordinary open) and only then checks what it opened: the
// descriptor of a regular file, or -1 with error Missing, NotAFile or
// Unreadable (and errno kept in osError).
int openRegularFile(const std::string& path, SeqError& error, int& osError);

class SeqFile
{
  public:
    static constexpr std::size_t kMaxLineLength = std::size_t(1) << 20; // 1 MiB

    SeqFile() = default;
    ~SeqFile();
    SeqFile(const SeqFile&) = delete;
    SeqFile& operator=(const SeqFile&) = delete;

    // Opens a file for reading; false (with error()) when it is missing, a
    // folder or cannot be opened.
    bool open(const std::string& path);

    // From now on, opening `name` reads standard input, each time from its
    // start: what the reads take is kept (in an anonymous file) as it
    // arrives, and nothing beyond what they ask for is read, so the limits
    // stop an endless stream as they stop a file.
    static void readStandardInputAs(const std::string& name);

    // True when nothing is left. A final line end leaves nothing.
    bool atEnd();

    // Field read: skips leading blanks, reads up to a comma or line end and
    // consumes that separator. A field that starts with a double quote ends
    // at the closing quote (or the line end); the rest up to the next comma
    // or line end is skipped.
    bool readField(std::string& out);
    // A field that is a whole number (digits, optional sign) of 16 bits.
    bool readWholeNumber(std::int16_t& out);
    // Line read: the rest of the current line, unchanged; consumes the line end.
    bool readLine(std::string& out);

    SeqError error() const { return error_; }
    // The text of the field that failed a whole-number read.
    const std::string& badField() const { return badField_; }
    // The failure in words, for errors other than EndOfFile / number errors.
    std::string errorText() const;

  private:
    int peek();
    void skipLineEnd(); // at CR or LF: consumes CRLF, LF or CR
    bool fail(SeqError e);
    bool refill();

    std::FILE* file_ = nullptr;
    bool spooled_ = false; // reading standard input (readStandardInputAs)
    long long spoolAt_ = 0;
    std::string buf_;
    std::size_t pos_ = 0;
    SeqError error_ = SeqError::None;
    int errno_ = 0;
    std::string badField_;
};

} // namespace vp
