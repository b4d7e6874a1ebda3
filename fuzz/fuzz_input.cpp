// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes through the whole chart input path: as the settings
// file, as the chart definition file (first reading, then the reading of its
// kind) and, directly, to the line splitter.
#include "linesplit.h"
#include "reader.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

// One scratch folder per process, removed when the process ends.
struct Folder {
    std::string path;
    Folder()
    {
        char pattern[] = "/tmp/veldra-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        path = std::string(pattern) + "/";
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

static void writeFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    if (!std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data), size))
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Folder folder;
    const std::string& dir = folder.path;
    writeFile(dir + vp::kDefinitionFileName, data, size);
    writeFile(dir + "settings.ini", data, size);

    vp::SettingsValues settings;
    (void)vp::readSettingsFile(dir + "settings.ini", settings);

    vp::ChartState state;
    state.categoryLimit = 200;
    state.appFolder = dir.substr(0, dir.size() - 1) + "  ";
    std::string caption;
    if (vp::firstReading(state, caption).ok()) {
        vp::ChartData chart;
        vp::VplotGlobal global;
        if (state.chartKind == vp::ChartKind::StackedBar)
            (void)vp::readStackedKind(state, global, chart);
        else
            (void)vp::readSimpleKind(state, chart);
        // Every stored value must be reachable through the accessors.
        for (int r = 1; r <= chart.rows; ++r)
            for (int s = 1; s <= chart.columns; ++s)
                (void)chart.value(r, s);
        if (chart.values.size() != chart.labels.size())
            std::abort();
    }

    // The splitter on its own: the first byte picks the label position.
    if (size > 0) {
        vp::ChartState split;
        split.fieldCount = static_cast<std::int16_t>(data[0]);
        split.dataLine.assign(reinterpret_cast<const char*>(data) + 1, size - 1);
        vp::getnums(split);
        if (split.fieldCount != 0)
            std::abort();
        std::int16_t whole;
        vp::roundToInt16(vp::numericValue(split.dataLine), whole);
    }
    return 0;
}
