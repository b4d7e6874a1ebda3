// SPDX-License-Identifier: GPL-3.0-or-later
#include "linesplit.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <string>

namespace vp
{

namespace
{

bool isSkipped(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

struct Parsed {
    double value = 0.0;
    bool found = false; // at least one digit was read
};

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// &H / &O whole numbers. Up to 16 bits they are read as a signed 16-bit
// number (&HFFFF is -1), up to 32 bits as a signed 32-bit number.
Parsed parseRadix(std::string_view t, std::size_t i, int radix)
{
    Parsed p;
    std::uint64_t v = 0;
    bool tooBig = false;
    for (; i < t.size(); ++i) {
        if (isSkipped(t[i]))
            continue;
        const int d = digitValue(t[i]);
        if (d >= radix)
            break;
        p.found = true;
        if (v > (UINT64_MAX - d) / radix)
            tooBig = true;
        else
            v = v * radix + d;
    }
    if (tooBig)
        p.value = static_cast<double>(UINT64_MAX);
    else if (v <= 0xFFFF)
        p.value = static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
    else if (v <= 0xFFFFFFFFu)
        p.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    else
        p.value = static_cast<double>(v);
    return p;
}

// Where the text's number starts: past blanks, and the radix of an &H or &O
// prefix (0 when there is none; -1 for an & followed by anything else).
std::size_t numberStart(std::string_view t, int& radix)
{
    std::size_t i = 0;
    while (i < t.size() && isSkipped(t[i]))
        ++i;
    radix = 0;
    if (i + 1 >= t.size() || t[i] != '&')
        return i;
    std::size_t j = i + 1;
    while (j < t.size() && isSkipped(t[j]))
        ++j;
    const char prefix = j < t.size() ? t[j] : '\0';
    radix = prefix == 'H' || prefix == 'h' ? 16 : prefix == 'O' || prefix == 'o' ? 8 : -1;
    return j + 1;
}

// The significant digits of a decimal number and the power of ten that
// applies to them. Only the first 40 significant digits are kept (more
// cannot change a double); the rest only move the decimal exponent.
struct Mantissa {
    std::string digits;
    long scale = 0;
    bool found = false; // at least one digit was read
};

Mantissa readMantissa(std::string_view t, std::size_t& i)
{
    constexpr std::size_t kKeptDigits = 40;
    Mantissa m;
    bool point = false;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (isSkipped(c))
            continue;
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        m.found = true;
        if (m.digits.empty() && c == '0') {
            if (point)
                --m.scale;
        } else if (m.digits.size() < kKeptDigits) {
            m.digits.push_back(c);
            if (point)
                --m.scale;
        } else if (!point) {
            ++m.scale;
        }
    }
    return m;
}

// An E or D exponent with optional sign, when the text has one at i.
long readExponent(std::string_view t, std::size_t i)
{
    if (i >= t.size() || (t[i] != 'E' && t[i] != 'e' && t[i] != 'D' && t[i] != 'd'))
        return 0;
    ++i;
    while (i < t.size() && isSkipped(t[i]))
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    long exp = 0;
    for (; i < t.size(); ++i) {
        if (isSkipped(t[i]))
            continue;
        if (t[i] < '0' || t[i] > '9')
            break;
        if (exp < 100000000)
            exp = exp * 10 + (t[i] - '0');
    }
    return negative ? -exp : exp;
}

// (-)digits x 10^scale as a double; beyond the double range the largest one,
// far below it 0.
double decimalValue(const std::string& digits, long scale, bool negative)
{
    constexpr long kFarOutside = 400; // decimal digits: far outside the double range either way
    const long magnitude = scale + static_cast<long>(digits.size());
    if (magnitude > kFarOutside)
        return negative ? -DBL_MAX : DBL_MAX;
    if (magnitude < -kFarOutside)
        return 0.0;
    const std::string text = digits + "e" + std::to_string(scale);
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range)
        v = magnitude > 0 ? DBL_MAX : 0.0;
    else if (r.ec != std::errc())
        v = 0.0;
    if (!std::isfinite(v))
        v = DBL_MAX;
    return negative ? -v : v;
}

// The leading number of a text, value-of-text style, read in linear time
// whatever its length.
Parsed parseNumber(std::string_view t)
{
    int radix = 0;
    std::size_t i = numberStart(t, radix);
    if (radix > 0)
        return parseRadix(t, i, radix);
    if (radix < 0)
        return {};
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    Mantissa m = readMantissa(t, i);
    Parsed p;
    p.found = m.found;
    if (!m.found || m.digits.empty())
        return p;
    m.scale += readExponent(t, i);
    p.value = decimalValue(m.digits, m.scale, negative);
    return p;
}

} // namespace

double numericValue(std::string_view text)
{
    return parseNumber(text).value;
}

bool isWholeNumber(std::string_view text)
{
    std::size_t i = 0, end = text.size();
    while (i < end && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == end)
        return false;
    for (; i < end; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool roundToInt16(double value, std::int16_t& out)
{
    if (!std::isfinite(value) || value < -32769.0 || value > 32768.0)
        return false;
    double r = std::floor(value);
    const double diff = value - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    if (r < -32768.0 || r > 32767.0)
        return false;
    out = static_cast<std::int16_t>(r);
    return true;
}

std::string trimTrailingBlanks(std::string_view text)
{
    const auto e = text.find_last_not_of(' ');
    return e == std::string_view::npos ? std::string() : std::string(text.substr(0, e + 1));
}

std::string trimBlanks(std::string_view text)
{
    const auto b = text.find_first_not_of(' ');
    if (b == std::string_view::npos)
        return {};
    const auto e = text.find_last_not_of(' ');
    return std::string(text.substr(b, e - b + 1));
}

namespace
{

// Number of a field: decimal commas become points first.
double fieldValue(std::string_view field)
{
    std::string t(field);
    for (char& c : t)
        if (c == ',')
            c = '.';
    return numericValue(t);
}

} // namespace

void getnums(ChartState& state)
{
    constexpr int kMaxFields = 20;
    const int f = state.fieldCount;
    // The label position must lie inside the tables; otherwise no label is taken.
    const bool hasLabel = f > 0 && f < static_cast<int>(state.lineFields.size());
    std::string label;

    std::string line = trimBlanks(state.dataLine);
    std::size_t start = 0; // the line still to split begins here
    int k = 0;
    for (;;) {
        std::size_t p = line.find(", ", start);
        if (p != std::string::npos) {
            // " ," and ",-" count only before p: looking for them there alone
            // keeps a long line from being searched once per field.
            const std::string_view head(line.data() + start, p + 1 - start);
            const std::size_t q = head.find(" ,");
            if (q != std::string_view::npos) {
                p = start + q;
                line[p] = ',';
                line[p + 1] = ' ';
            }
            const std::size_t r = head.substr(0, p + 1 - start).find(",-");
            if (r != std::string_view::npos)
                p = start + r;
        }
        ++k;
        // The field ends with the separator's comma (or is the whole rest).
        const std::size_t end = p == std::string::npos ? line.size() : p + 1;
        const std::string_view field(line.data() + start, end - start);
        if (k == f)
            label.assign(field);
        else
            state.lineValues[static_cast<std::size_t>(k)] = fieldValue(field);
        start = end;
        if (p == std::string::npos || k == kMaxFields)
            break;
    }
    state.dataLine = line.substr(start);

    if (hasLabel) {
        label = trimBlanks(label);
        if (!label.empty() && label.front() == '"')
            label.erase(0, 1);
        if (!label.empty() && label.back() == ',')
            label.pop_back();
        if (!label.empty() && label.back() == '"')
            label.pop_back();
        if (k == f && label.empty())
            label = "0";
        state.lineFields[static_cast<std::size_t>(f)] = label;
    }
    state.fieldCount = 0;
}

} // namespace vp
