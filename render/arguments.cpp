// SPDX-License-Identifier: GPL-3.0-or-later
#include "arguments.h"

#include "imageformat.h"

#include <functional>

namespace render
{

const char kUsage[] =
    "Usage: veldraplot-render [OPTION]... -o FILE [SETTINGS_FILE]\n"
    "       veldraplot-render [OPTION]... --describe [SETTINGS_FILE]\n"
    "       veldraplot-render --batch LIST [OPTION]... [SETTINGS_FILE]\n"
    "Draws the chart of a VELDRAPLOT chart definition without a window.\n"
    "\n"
    "  --folder DIR       read ~VGRAPH.TMP from DIR (default: the program's folder)\n"
    "  --input FILE       read the chart definition from FILE (- for standard input)\n"
    "  -o, --output FILE  save the picture to FILE (- for standard output)\n"
    "  --format FORMAT    jpg, bmp, tif, gif, png, svg or pdf (default: from the\n"
    "                     output's extension; png for a name without one)\n"
    "  --size WxH         picture size in pixels, each side 16 to 20000 (default 1280x864)\n"
    "  --scale N          N x N device pixels a pixel, 1 to 4 (pixel formats only)\n"
    "  --describe         print what start-up built, as JSON\n"
    "  --batch LIST       draw every line \"INPUT OUTPUT [FORMAT] [WxH]\" of LIST\n"
    "                     (- for standard input), charts in parallel\n"
    "  --timeout SECONDS  give up on a chart after SECONDS (default 120; 0: never)\n"
    "  --help             print this help and exit\n"
    "  --version          print the version and exit\n"
    "A value may also follow its option after '=' (--size=640x480). SETTINGS_FILE\n"
    "is the host's settings file; without one the chart is drawn as with a valid one.\n"
    "\n"
    "Examples:\n"
    "  veldraplot-render --folder examples/pie -o pie.png\n"
    "  veldraplot-render --input - -o - --format pdf < chart.tmp > chart.pdf\n"
    "  printf '%s\\n' 'pie.tmp pie.svg' 'bar.tmp bar.png 640x480' |\n"
    "      veldraplot-render --batch -\n"
    "\n"
    "Exit status:\n"
    "  0   the picture (every picture of a batch) saved, or the description written\n"
    "  1   a picture or the description not written, a chart past --timeout, or\n"
    "      in a batch any chart not saved\n"
    "  2   the definition or settings file cannot be used, or holds no chart\n"
    "  3   a variable of a two-way table has more than 200 categories\n"
    "  64  the command line cannot be used\n"
    "\n"
    "See veldraplot-render(1).\n";

namespace
{

vp::Result refused(const std::string& why)
{
    return vp::Result::failure(why, kStatusUsage);
}

// One option: its name, the value it takes ("" for none), and what it does
// with the options (and the value); a failure refuses the command line.
struct OptionRule {
    const char* name;
    const char* value;
    std::function<vp::Result(Options&, const std::string&)> apply;
};

vp::Result takeSize(Options& o, const std::string& value)
{
    if (parseSize(value.c_str(), o.job.width, o.job.height))
        return {};
    return refused("bad --size " + value + ": give WxH, each from " + std::to_string(kMinSide) +
                   " to " + std::to_string(kMaxSide));
}

vp::Result takeScale(Options& o, const std::string& value)
{
    if (value.size() != 1 || value[0] < '1' || value[0] > '0' + kMaxScale)
        return refused("bad --scale " + value + ": give a whole number from 1 to " +
                       std::to_string(kMaxScale));
    o.job.scale = value[0] - '0';
    return {};
}

vp::Result takeTimeout(Options& o, const std::string& value)
{
    const bool digits = !value.empty() && value.size() <= 7 &&
                        value.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(value) > kMaxTimeout)
        return refused("bad --timeout " + value + ": give whole seconds from 0 (no limit) to " +
                       std::to_string(kMaxTimeout));
    o.timeout = std::stoi(value);
    return {};
}

// A rule that keeps the value in `field` and notes that it was given.
OptionRule keep(const char* name, const char* value, std::string Options::*field,
                bool Options::*given)
{
    return {name, value, [field, given](Options& o, const std::string& v) {
                o.*field = v;
                o.*given = true;
                return vp::Result();
            }};
}

const std::vector<OptionRule>& optionRules()
{
    static const std::vector<OptionRule> rules = {
        keep("--folder", "DIR", &Options::folder, &Options::folderGiven),
        {"--format", "FORMAT",
         [](Options& o, const std::string& v) {
             o.format = v;
             return vp::Result();
         }},
        {"--size", "WxH", takeSize},
        {"--scale", "N", takeScale},
        {"--timeout", "SECONDS", takeTimeout},
        {"--input", "FILE",
         [](Options& o, const std::string& v) {
             o.job.input = v;
             o.inputGiven = true;
             return vp::Result();
         }},
        keep("--batch", "LIST", &Options::batch, &Options::batchGiven),
        {"-o", "FILE",
         [](Options& o, const std::string& v) {
             o.job.output = v;
             o.outputGiven = true;
             return vp::Result();
         }},
        {"--describe", "",
         [](Options& o, const std::string&) {
             o.job.describe = true;
             return vp::Result();
         }},
        {"--help", "",
         [](Options& o, const std::string&) {
             o.help = true;
             return vp::Result();
         }},
        {"--version", "",
         [](Options& o, const std::string&) {
             o.version = true;
             return vp::Result();
         }},
    };
    return rules;
}

const OptionRule* ruleFor(std::string name)
{
    name = name == "--output" ? "-o" : name == "-h" ? "--help" : name;
    for (const OptionRule& rule : optionRules())
        if (name == rule.name)
            return &rule;
    return nullptr;
}

// The combinations that cannot be used, in the order they are checked.
vp::Result checkCombinations(const Options& o)
{
    if (o.outputGiven && o.job.output.empty())
        return refused("-o needs a file name");
    if (o.inputGiven && o.job.input.empty())
        return refused("--input needs a file name");
    if (o.inputGiven && o.folderGiven)
        return refused("--input and --folder both say where the chart definition is: give one");
    if (o.batchGiven && (o.inputGiven || o.folderGiven || o.outputGiven || o.job.describe))
        return refused("--batch takes inputs and outputs from its list: --input, --folder, -o"
                       " and --describe cannot be given with it");
    if (o.batchGiven && o.batch.empty())
        return refused("--batch needs a list file name");
    if (!o.batchGiven && !o.outputGiven && !o.job.describe)
        return refused("nothing to do: give -o FILE, --describe or --batch LIST");
    if (o.job.describe && o.job.output == "-")
        return refused("--describe and -o - would both write to standard output: give one");
    return {};
}

// A single chart's format, and whether its size can be drawn.
vp::Result settleSingleChart(Options& o)
{
    o.job.format = imageio::formatForFile(o.givenFormat, o.job.output);
    if (o.job.format < 0)
        return refused("cannot tell the format of " + o.job.output + ": ." +
                       imageio::lowerSuffix(o.job.output) + " is none of " + kFormatNames +
                       "; give --format");
    if (o.job.scale > 1 && imageio::isVectorFormat(o.job.format))
        return refused("--scale multiplies pixels: SVG and PDF are drawn as vectors");
    if (!o.job.fitsScaled())
        return refused("--size times --scale gives more than " + std::to_string(kMaxSide) +
                       " pixels on a side");
    return {};
}

// Reads the options and the settings file; "--" ends the options.
vp::Result readArguments(const std::vector<std::string>& args, Options& o)
{
    bool optionsEnded = false;
    bool settingsGiven = false;
    for (std::size_t i = 0; i < args.size() && !o.help && !o.version; ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            if (settingsGiven)
                return refused("unexpected argument " + arg + ": give one settings file");
            o.settings = arg;
            settingsGiven = true;
        } else {
            const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string::npos;
            const std::string name = arg.substr(0, equals);
            const OptionRule* rule = ruleFor(name);
            if (!rule)
                return refused("unknown option " + name);
            const bool takesValue = *rule->value != '\0';
            if (!takesValue && equals != std::string::npos)
                return refused(name + " takes no value");
            if (takesValue && equals == std::string::npos && i + 1 >= args.size())
                return refused("missing value: " + name + " " + rule->value);
            const std::string none;
            const vp::Result applied =
                rule->apply(o, !takesValue                   ? none
                               : equals == std::string::npos ? args[++i]
                                                             : arg.substr(equals + 1));
            if (!applied)
                return applied;
        }
    }
    return {};
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args)
{
    ParsedArguments parsed;
    Options& o = parsed.options;
    parsed.result = readArguments(args, o);
    if (!parsed.result || o.help || o.version)
        return parsed;
    parsed.result = checkCombinations(o);
    if (parsed.result && !o.format.empty()) {
        o.givenFormat = imageio::formatFromName(o.format);
        if (o.givenFormat < 0)
            parsed.result = refused("unknown format " + o.format + ": give " + kFormatNames);
    }
    if (parsed.result && !o.batchGiven)
        parsed.result = settleSingleChart(o);
    return parsed;
}

} // namespace render
