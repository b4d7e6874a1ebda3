// SPDX-License-Identifier: GPL-3.0-or-later
// What the batch renderer draws: one chart (a Job) of a run, the limits of
// its size, and the exit statuses. Plain C++.
#pragma once

#include <string>

namespace render
{

// Exit statuses of the renderer: a picture or text not written, a file
// that cannot be used (the viewer's own status), a command line that
// cannot be used.
enum : int { kStatusFailed = 1, kStatusBadInput = 2, kStatusUsage = 64 };

// Seconds a chart may take before it is given up: ten times the largest
// charts the limits accept on a busy machine.
constexpr int kDefaultTimeout = 120;
constexpr int kMaxTimeout = 1000000;

// The formats' names, for messages.
extern const char kFormatNames[];

// A picture's sides, in pixels: given sizes from kMinSide to kMaxSide, and
// no more than kMaxSide device pixels after --scale.
constexpr int kMinSide = 16;
constexpr int kMaxSide = 20000;
// The chart's size when none is given: the chart on a 1920x1080 screen.
constexpr int kDefaultWidth = 1280;
constexpr int kDefaultHeight = 864;
constexpr int kMaxScale = 4;

// "WxH" with each side a whole number from kMinSide to kMaxSide, nothing else.
bool parseSize(const char* text, int& width, int& height);

// One chart to draw.
struct Job {
    std::string input;  // the definition; empty: ~VGRAPH.TMP in the folder
    std::string output; // "-" standard output; empty: no picture
    int format = 1;     // PNG
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    int scale = 1;
    bool describe = false;
    int line = 0; // of the batch list, 0 outside a batch

    // The size times the scale stays within kMaxSide pixels on a side.
    bool fitsScaled() const { return width * scale <= kMaxSide && height * scale <= kMaxSide; }
};

// Text from files and command lines as it may be shown on a terminal: every
// control character (C0, DEL and C1, also a line end) and every byte that is
// not UTF-8 is written as \xHH, so that a file cannot drive the terminal.
std::string shownText(const std::string& text);

// Writes "PROGRAM: TEXT" and a line end to standard error in one write (a
// batch's workers share it), the text shown with shownText.
void printMessage(const char* program, const std::string& text);

// What tells two names of one file apart from names of different files:
// the device and inode of an existing file (links followed), else the path
// made absolute and normalised, with the links of its existing part followed.
std::string fileIdentity(const std::string& path);

// What every chart of a run shares.
struct Run {
    std::string folder;            // absolute, for charts without an input
    std::string settings;          // the settings file, as the viewer's command line; may be empty
    std::string list;              // the batch list as named in messages
    int timeout = kDefaultTimeout; // seconds a chart may take; 0: no limit
};

} // namespace render
