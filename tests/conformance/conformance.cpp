#include "conformance.h"

#include "recipe.h"
#include "sources.h"

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <sstream>

namespace {

std::string hex(uint32_t colour) {
    std::ostringstream out;
    out << '#' << std::hex << std::setfill('0') << std::setw(2) << int(PGRed(colour))
        << std::setw(2) << int(PGGreen(colour)) << std::setw(2) << int(PGBlue(colour));
    return out.str();
}

int channelDistance(uint32_t a, uint32_t b) {
    return std::max({std::abs(PGRed(a) - PGRed(b)), std::abs(PGGreen(a) - PGGreen(b)),
                     std::abs(PGBlue(a) - PGBlue(b))});
}

struct TComparison {
    bool Agree = true;
    std::string Summary; // sizes, or how many pixels differ
    std::string Details; // the first differing pixels
};

TComparison compare(const TRefImage& ours, const TRefImage& theirs, const std::string& whose,
                    int tolerance) {
    TComparison result;
    std::ostringstream summary, details;
    if (ours.Width != theirs.Width || ours.Height != theirs.Height) {
        result.Agree = false;
        summary << "size " << ours.Width << "x" << ours.Height << " where the " << whose << "'s is "
                << theirs.Width << "x" << theirs.Height;
        result.Summary = summary.str();
        return result;
    }
    int count = 0, largest = 0;
    for (int y = 0; y < ours.Height; ++y)
        for (int x = 0; x < ours.Width; ++x) {
            const int d = channelDistance(ours.At(x, y), theirs.At(x, y));
            if (d <= tolerance) continue;
            largest = std::max(largest, d);
            if (++count <= 5)
                details << " (" << x << "," << y << ") ours " << hex(ours.At(x, y)) << " " << whose
                        << " " << hex(theirs.At(x, y)) << ";";
        }
    result.Agree = count == 0;
    summary << count << " of " << ours.Pixels.size() << " pixels differ from the " << whose
            << "'s by more than " << tolerance << " (largest " << largest << ")";
    result.Summary = summary.str();
    result.Details = details.str();
    return result;
}

std::string describe(const TComparison& c) {
    return c.Summary + (c.Details.empty() ? "" : ":" + c.Details);
}

// Shell commands as a block of indented lines.
std::string indented(const std::string& commands) {
    std::string out = "  ";
    for (char ch : commands) out += ch == '\n' ? std::string("\n  ") : std::string(1, ch);
    return out + "\n";
}

std::string recipeOf(const TConformanceCase& c, const TCaseFolder& folder) {
    return "recipe, run in " + folder.Path().string() + " (kept) with sources of " +
           std::to_string(c.Width) + "x" + std::to_string(c.Height) + ":\n" +
           indented("F=" + c.File + "\n" + c.Make) + "tool decoding:\n" + indented(c.Decode) +
           "our load: LoadFromFile(F, " + std::to_string(c.Index) + ")\n";
}

void reportDeliberate(const TConformanceCase& c, const std::string& what) {
    ::testing::Test::RecordProperty("DeliberateDifference", c.Difference->Reason);
    std::cout << "[ DELIBERATE ] " << c.File << ": " << what << "; " << c.Difference->Reason
              << std::endl;
}

TToolImage toolDecoding(const TCaseFolder& folder, const TConformanceCase& c,
                        const std::string& commands, const std::string& script) {
    const std::string output = script + ".pnm";
    if (!folder.Run(script + ".sh", commands, c.File, output))
        throw std::runtime_error("the tool's decoding failed:\n" + indented(commands) +
                                 folder.Log(script + ".sh"));
    return ReadToolImage(folder.Path() / output);
}

// With our pixels different from the tool's: they must be what the named difference predicts.
void checkDeliberate(const TConformanceCase& c, const TCaseFolder& folder, const TRefImage& ours,
                     const TComparison& withTool) {
    const TDeliberateDifference& d = *c.Difference;
    const std::string commands = d.Decode.empty() ? c.Decode : d.Decode;
    const TToolImage decoding = toolDecoding(folder, c, commands, "model");
    const TRefImage expected = d.Model ? d.Model(decoding) : Rounded(decoding);
    const TComparison withModel = compare(ours, expected, "model", d.Tolerance);
    if (withModel.Agree) {
        reportDeliberate(c, withTool.Summary);
        return;
    }
    ADD_FAILURE() << c.File << " disagrees with the tool and with the deliberate difference ("
                  << d.Reason << ").\n"
                  << recipeOf(c, folder) << "model decoding:\n"
                  << indented(commands) << "ours vs tool: " << describe(withTool)
                  << "\nours vs model: " << describe(withModel);
}

void runCase(const TConformanceCase& c, const TCaseFolder& folder) {
    WriteSources(folder.Path(), c.Make, c.Width, c.Height);
    ASSERT_TRUE(folder.Run("make.sh", c.Make, c.File, "/dev/null"))
        << "the recipe failed:\n"
        << indented(c.Make) << folder.Log("make.sh");
    TPixelGraphic image;
    image.SetBackGroundColor(ConformanceBackground);
    std::string ourError;
    try {
        image.LoadFromFile(folder.Path() / c.File, c.Index);
    } catch (const std::exception& e) {
        ourError = e.what();
    }
    const TToolImage decoding = toolDecoding(folder, c, c.Decode, "tool");
    if (!ourError.empty()) {
        if (c.Difference && c.Difference->Refused) return reportDeliberate(c, "refused");
        ADD_FAILURE() << c.File << ": our reader failed with \"" << ourError
                      << "\" where the tool decodes it.\n"
                      << recipeOf(c, folder);
        return;
    }
    const TRefImage ours = ToReference(image);
    const TComparison withTool = compare(ours, Rounded(decoding), "tool", 0);
    if (withTool.Agree) return;
    if (c.Difference) return checkDeliberate(c, folder, ours, withTool);
    ADD_FAILURE() << c.File << " disagrees with the tool.\n"
                  << recipeOf(c, folder) << "ours vs tool: " << describe(withTool);
}

} // namespace

std::vector<TConformanceCase> AtSizes(const std::vector<TConformanceCase>& cases,
                                      const std::vector<TSize>& sizes) {
    std::vector<TConformanceCase> sized;
    for (const TConformanceCase& c : cases)
        for (const TSize& s : sizes) {
            TConformanceCase copy = c;
            const std::string size = std::to_string(s.Width) + "x" + std::to_string(s.Height);
            copy.Name += "_" + size;
            copy.Width = s.Width;
            copy.Height = s.Height;
            const size_t dot = copy.File.rfind('.');
            copy.File.insert(dot == std::string::npos ? copy.File.size() : dot, "-" + size);
            sized.push_back(std::move(copy));
        }
    return sized;
}

std::string ConformanceCaseName(const ::testing::TestParamInfo<TConformanceCase>& info) {
    return info.param.Name;
}

TEST_P(Conformance, DecodesAsTheIndependentTool) {
    const TConformanceCase& c = GetParam();
    std::string commands = c.Make + "\n" + c.Decode;
    if (c.Difference) commands += "\n" + c.Difference->Decode;
    if (const std::string tool = MissingTool(commands); !tool.empty())
        GTEST_SKIP() << tool << " is not installed";
    const TCaseFolder folder;
    try {
        runCase(c, folder);
    } catch (const std::exception& e) {
        FAIL() << c.File << " (in " << folder.Path().string() << ", kept): " << e.what();
    }
}
