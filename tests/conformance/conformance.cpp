#include "conformance.h"

#include "sources.h"

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

constexpr const char* imageMagick = "/usr/bin/convert";

bool available(const std::string& tool) {
    static std::map<std::string, bool> known;
    auto [at, inserted] = known.try_emplace(tool, false);
    if (inserted)
        at->second = tool == "convert" ? ::access(imageMagick, X_OK) == 0 : ToolAvailable(tool);
    return at->second;
}

bool isShellWord(const std::string& word) {
    static const std::set<std::string> words = {
        "if",  "then", "else",   "fi",   "for",   "in",  "do",   "done", "while", "!",
        "cd",  "echo", "printf", "true", "false", "set", "test", "[",    "exit",  "read",
        "cat", "head", "tail",   "dd",   "cp",    "mv",  "rm",   "tr",   "seq"};
    return words.count(word) || word.find('=') != std::string::npos;
}

bool isProgramName(const std::string& word) {
    return std::isalpha(static_cast<unsigned char>(word[0])) &&
           std::all_of(word.begin(), word.end(), [](unsigned char c) {
               return std::isalnum(c) || c == '_' || c == '-' || c == '.' || c == '/';
           });
}

// The programs a recipe runs: the first word of every command, heredoc bodies left out.
std::set<std::string> programsOf(const std::string& recipe) {
    std::set<std::string> programs;
    std::istringstream lines(recipe);
    std::string heredocEnd;
    for (std::string line; std::getline(lines, line);) {
        if (!heredocEnd.empty()) {
            if (line == heredocEnd) heredocEnd.clear();
            continue;
        }
        if (const size_t at = line.find("<<"); at != std::string::npos) {
            std::istringstream rest(line.substr(at + 2));
            rest >> heredocEnd;
            std::erase(heredocEnd, '\'');
        }
        for (size_t i = 0; i < line.size(); ++i)
            if (std::string_view(";|&(){}").find(line[i]) != std::string_view::npos &&
                (i == 0 || line[i - 1] != '\\'))
                line[i] = '\n';
        std::istringstream commands(line);
        for (std::string command; std::getline(commands, command);) {
            std::istringstream words(command);
            std::string first;
            if (words >> first && isProgramName(first) && !isShellWord(first))
                programs.insert(first);
        }
    }
    return programs;
}

std::string missingTool(const TConformanceCase& c) {
    std::string all = c.Make + "\n" + c.Decode;
    if (c.Difference) all += "\n" + c.Difference->Decode;
    for (const std::string& program : programsOf(all))
        if (!available(program)) return program;
    return "";
}

// A fresh folder per case, kept when the case fails so its files can be looked at.
class TCaseFolder {
public:
    TCaseFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "glimmet-conformance-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TCaseFolder() {
        std::error_code ignored;
        if (!::testing::Test::HasFailure()) std::filesystem::remove_all(FPath, ignored);
    }
    TCaseFolder(const TCaseFolder&) = delete;
    TCaseFolder& operator=(const TCaseFolder&) = delete;
    const std::filesystem::path& Path() const { return FPath; }

    // Runs the commands as a bash script with $F set; answers whether it succeeded.
    bool Run(const std::string& script, const std::string& commands, const std::string& file,
             const std::string& output) const {
        std::ofstream(FPath / script) << "set -eo pipefail\n"
                                      << "convert() { " << imageMagick << " \"$@\"; }\n"
                                      << "F='" << file << "'\n"
                                      << commands << "\n";
        return RunCommand("cd '" + FPath.string() + "' && bash " + script + " > " + output +
                          " 2> " + script + ".log") == 0;
    }
    std::string Log(const std::string& script) const {
        std::ifstream in(FPath / (script + ".log"));
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::filesystem::path FPath;
};

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

std::string recipeOf(const TConformanceCase& c, const TCaseFolder& folder) {
    std::ostringstream out;
    out << "recipe, run in " << folder.Path().string() << " (kept) with sources of " << c.Width
        << "x" << c.Height << ":\n  F=" << c.File << "\n  " << c.Make << "\ntool decoding:\n  "
        << c.Decode << "\nour load: LoadFromFile(F, " << c.Index << ")\n";
    return out.str();
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
        throw std::runtime_error("the tool's decoding failed:\n  " + commands + "\n" +
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
                  << recipeOf(c, folder) << "model decoding:\n  " << commands
                  << "\nours vs tool: " << describe(withTool)
                  << "\nours vs model: " << describe(withModel);
}

void runCase(const TConformanceCase& c, const TCaseFolder& folder) {
    WriteSources(folder.Path(), c.Make, c.Width, c.Height);
    ASSERT_TRUE(folder.Run("make.sh", c.Make, c.File, "/dev/null"))
        << "the recipe failed:\n  " << c.Make << "\n"
        << folder.Log("make.sh");
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
    if (const std::string tool = missingTool(c); !tool.empty())
        GTEST_SKIP() << tool << " is not installed";
    const TCaseFolder folder;
    try {
        runCase(c, folder);
    } catch (const std::exception& e) {
        FAIL() << c.File << ": " << e.what();
    }
}
