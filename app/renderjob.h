// The batch renderer's work: one chart from its definition to a picture
// (renderChart), and many charts in worker processes (runBatch).
#pragma once

#include <string>
#include <vector>

namespace render
{

// Exit statuses of the renderer.
enum : int { kStatusFailed = 1, kStatusUsage = 64 };

// Formats by name: the chart component's codes 0 to 6; -1 for none.
int formatCode(const std::string& name);
// SVG and PDF: drawn as vectors.
inline bool isVector(int format)
{
    return format >= 5;
}
// A file name's extension in lower case ("" for none).
std::string lowerSuffix(const std::string& path);
// "WxH" with each side a whole number from 16 to 20000, nothing else.
bool parseSize(const char* text, int& width, int& height);

// One chart to draw.
struct Job {
    std::string input;  // the definition; empty: ~VGRAPH.TMP in the folder
    std::string output; // "-" standard output; empty: no picture
    int format = 1;     // PNG
    int width = 1280;
    int height = 864;
    int scale = 1;
    bool describe = false;
    int line = 0; // of the batch list, 0 outside a batch
};

// What every chart of a run shares.
struct Run {
    std::string folder;   // absolute, for charts without an input
    std::string settings; // the settings file, as the viewer's command line
    std::string list;     // the batch list as named in messages
};

// Starts Qt for drawing without a display (once per process).
void startQt(const char* argv0);

// Builds and saves or describes one chart. Messages go to standard error,
// prefixed with the list and line in a batch. Returns 0, or the status the
// run would end with. With keep the window is left alive: a process that
// ends right after does not spend time tearing it down.
int renderChart(const Job& job, const Run& run, bool keep);

// Renders every job in worker processes, one per processor (at most one
// per job), each chart on its own: a failed chart is reported and the run
// goes on; a worker that dies is reported for its chart and replaced.
// Must run before Qt is started. Returns 0 when all succeeded.
int runBatch(const std::vector<Job>& jobs, const Run& run, const char* argv0);

} // namespace render
