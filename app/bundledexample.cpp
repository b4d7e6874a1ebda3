#include "bundledexample.h"

#include <vector>

#include <sys/stat.h>

#ifndef VELDRA_EXAMPLES_FROM_PROGRAM
#define VELDRA_EXAMPLES_FROM_PROGRAM "../../share/veldraplot/examples"
#endif

namespace vp
{
namespace
{

bool isFile(const std::string& path)
{
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The path with its "." and "name/.." steps taken out, for a readable path.
// The program folder has its links resolved already, so no ".." crosses one.
std::string lexical(const std::string& path)
{
    const bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (part == ".." ? !absolute : !part.empty() && part != ".")
            parts.push_back(part);
        start = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (const std::string& part : parts)
        out += (out.empty() || out.back() == '/' ? "" : "/") + part;
    return out.empty() ? "." : out;
}

} // namespace

std::string installedExamples(const std::string& programFolder)
{
    return lexical(programFolder + "/" VELDRA_EXAMPLES_FROM_PROGRAM);
}

std::string bundledExamples(const std::string& programFolder)
{
    // The build tree: veldraplot-examples beside the folder of the programs.
    for (const std::string& folder :
         {installedExamples(programFolder), lexical(programFolder + "/../veldraplot-examples")}) {
        if (isFile(folder + "/settings.ini") && isFile(folder + "/pie/~VGRAPH.TMP"))
            return folder;
    }
    return {};
}

std::string noExampleMessage(const std::string& programFolder)
{
    return "The example chart was not found in " + installedExamples(programFolder) +
           ".\n\nVELDRAPLOT shows the chart a data-analysis program prepares: the program "
           "writes the chart definition ~VGRAPH.TMP into VELDRAPLOT's folder, " +
           programFolder +
           ", and starts VELDRAPLOT with the path of its settings file. "
           "See the manual page veldraplot(1).";
}

} // namespace vp
