// SPDX-License-Identifier: GPL-3.0-or-later
#include "bundledexample.h"

#include "atomicwrite.h"

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

} // namespace

std::string installedExamples(const std::string& programFolder)
{
    // Each leading "../" takes a name off the program's folder, whose links
    // are resolved already: /usr/lib/veldraplot gives /usr/share/....
    std::string folder = programFolder;
    std::string rest = VELDRA_EXAMPLES_FROM_PROGRAM;
    while (rest.compare(0, 3, "../") == 0 && folder != "/" && folder != ".") {
        folder = folderOf(folder);
        rest.erase(0, 3);
    }
    return (folder == "/" ? "" : folder) + "/" + rest;
}

std::string bundledExamples(const std::string& programFolder)
{
    // The build tree: veldraplot-examples beside the folder of the programs.
    for (const std::string& folder :
         {installedExamples(programFolder), folderOf(programFolder) + "/veldraplot-examples"}) {
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
