// What the batch renderer draws: one chart (a Job) of a run, the limits of
// its size, and the exit statuses. Plain C++.
#pragma once

#include <string>

namespace render
{

// Exit statuses of the renderer.
enum : int { kStatusFailed = 1, kStatusUsage = 64 };

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

// What every chart of a run shares.
struct Run {
    std::string folder;   // absolute, for charts without an input
    std::string settings; // the settings file, as the viewer's command line
    std::string list;     // the batch list as named in messages
};

} // namespace render
