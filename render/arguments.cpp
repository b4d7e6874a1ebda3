#include "arguments.h"

#include "imageformat.h"

#include <functional>

namespace render
{

const char kUsage[] =
    "Usage: veldraplot-render [--folder DIR | --input FILE] [--format FORMAT] [--size WxH]\n"
    "                         [--scale N] [-o FILE] [--describe] SETTINGS_FILE\n"
    "       veldraplot-render --batch LIST [--format FORMAT] [--size WxH] [--scale N]\n"
    "                         SETTINGS_FILE\n"
    "  --folder DIR   folder holding ~VGRAPH.TMP (default: the program's folder)\n"
    "  --input FILE   read the chart definition from FILE (- for standard input)\n"
    "  --format F     jpg, bmp, tif, gif, png, svg or pdf (default: from -o's\n"
    "                 extension, else png)\n"
    "  --size WxH     chart size in pixels (default 1280x864)\n"
    "  --scale N      draw on N x N pixels per chart pixel, 1 to 4 (pixel formats)\n"
    "  -o FILE        save the chart picture to FILE (- for standard output)\n"
    "  --describe     print what start-up built as JSON\n"
    "  --batch LIST   render every line \"INPUT OUTPUT [FORMAT] [WxH]\" of LIST\n"
    "                 (- for standard input) in one run\n";

namespace
{

vp::Result refused(const std::string& why)
{
    return vp::Result::failure(why, kRefused);
}

vp::Result refusedWithUsage(const std::string& why)
{
    return vp::Result::failure(why, kRefusedWithUsage);
}

// One option: its name, whether a value follows it, and what it does with
// the options (and the value); a failure refuses the command line.
struct OptionRule {
    const char* name;
    bool takesValue;
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

const std::vector<OptionRule>& optionRules()
{
    static const std::vector<OptionRule> rules = {
        {"--folder", true,
         [](Options& o, const std::string& v) {
             o.folder = v;
             o.folderGiven = true;
             return vp::Result();
         }},
        {"--format", true,
         [](Options& o, const std::string& v) {
             o.format = v;
             return vp::Result();
         }},
        {"--size", true, takeSize},
        {"--scale", true, takeScale},
        {"--input", true,
         [](Options& o, const std::string& v) {
             o.job.input = v;
             o.inputGiven = true;
             return vp::Result();
         }},
        {"--batch", true,
         [](Options& o, const std::string& v) {
             o.batch = v;
             o.batchGiven = true;
             return vp::Result();
         }},
        {"-o", true,
         [](Options& o, const std::string& v) {
             o.job.output = v;
             o.outputGiven = true;
             return vp::Result();
         }},
        {"--describe", false,
         [](Options& o, const std::string&) {
             o.job.describe = true;
             return vp::Result();
         }},
    };
    return rules;
}

const OptionRule* ruleFor(const std::string& arg)
{
    for (const OptionRule& rule : optionRules())
        if (arg == rule.name)
            return &rule;
    return nullptr;
}

// The combinations that cannot be used, in the order they are checked.
vp::Result checkCombinations(const Options& o)
{
    if (!o.settingsGiven)
        return refusedWithUsage({});
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
    if (o.job.describe && o.job.output == "-")
        return refused("--describe and -o - would both write to standard output: give one");
    return {};
}

// A single chart's format, and whether its size can be drawn.
vp::Result settleSingleChart(Options& o)
{
    o.job.format = imageio::formatForFile(o.givenFormat, o.job.output);
    if (o.job.scale > 1 && imageio::isVectorFormat(o.job.format))
        return refused("--scale multiplies pixels: SVG and PDF are drawn as vectors");
    if (!o.job.fitsScaled())
        return refused("--size times --scale gives more than " + std::to_string(kMaxSide) +
                       " pixels on a side");
    return {};
}

} // namespace

ParsedArguments parseArguments(const std::vector<std::string>& args)
{
    ParsedArguments parsed;
    Options& o = parsed.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            return parsed;
        }
        const OptionRule* rule = ruleFor(arg);
        if (!rule) {
            if (o.settingsGiven) {
                parsed.result = refusedWithUsage("unexpected argument " + arg);
                return parsed;
            }
            o.settings = arg;
            o.settingsGiven = true;
            continue;
        }
        if (rule->takesValue && i + 1 >= args.size()) {
            parsed.result = refusedWithUsage(arg + " needs a value");
            return parsed;
        }
        const std::string value = rule->takesValue ? args[++i] : std::string();
        parsed.result = rule->apply(o, value);
        if (!parsed.result)
            return parsed;
    }
    parsed.result = checkCombinations(o);
    if (parsed.result && !o.format.empty()) {
        o.givenFormat = imageio::formatFromName(o.format);
        if (o.givenFormat < 0)
            parsed.result = refused("unknown format " + o.format);
    }
    if (parsed.result && !o.batchGiven)
        parsed.result = settleSingleChart(o);
    return parsed;
}

} // namespace render
