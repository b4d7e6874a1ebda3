// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the libraries report a failure: a result that is either a
// success or carries what went wrong, in words a user understands, and a
// code the caller may act on (its meaning belongs to the function that
// returns it; 0 means none). Plain C++, so that the input reader can use it.
#pragma once

#include <string>
#include <utility>

namespace vp
{

class [[nodiscard]] Result
{
  public:
    // Success.
    Result() = default;
    static Result failure(std::string message, int code = 1)
    {
        Result r;
        r.failed_ = true;
        r.message_ = std::move(message);
        r.code_ = code;
        return r;
    }

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& message() const { return message_; }
    int code() const { return code_; }

  private:
    bool failed_ = false;
    std::string message_;
    int code_ = 0;
};

} // namespace vp
