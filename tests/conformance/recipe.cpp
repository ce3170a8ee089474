#include "recipe.h"

#include "test_support.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

// The one ImageMagick recipes may use: /usr/local/bin/convert may be another program.
constexpr const char* imageMagick = "/usr/bin/convert";

bool available(const std::string& tool) {
    static std::map<std::string, bool> known;
    auto [at, inserted] = known.try_emplace(tool, false);
    if (inserted)
        at->second = tool == "convert" ? ::access(imageMagick, X_OK) == 0 : ToolAvailable(tool);
    return at->second;
}

// Shell keywords, builtins and the basic utilities every system has.
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

// Command separators become line ends, unless escaped (ImageMagick's "\(").
void splitCommands(std::string& line) {
    for (size_t i = 0; i < line.size(); ++i)
        if (std::string_view(";|&(){}").find(line[i]) != std::string_view::npos &&
            (i == 0 || line[i - 1] != '\\'))
            line[i] = '\n';
}

// The programs the commands run: the first word of every command, heredoc bodies left out.
std::set<std::string> programsOf(const std::string& commands) {
    std::set<std::string> programs;
    std::istringstream lines(commands);
    std::string heredocEnd;
    for (std::string line; std::getline(lines, line);) {
        if (!heredocEnd.empty()) {
            if (line == heredocEnd) heredocEnd.clear();
            continue;
        }
        if (const size_t at = line.find("<<"); at != std::string::npos) {
            std::istringstream(line.substr(at + 2)) >> heredocEnd;
            std::erase(heredocEnd, '\'');
        }
        splitCommands(line);
        std::istringstream parts(line);
        for (std::string command; std::getline(parts, command);) {
            std::string first;
            if (std::istringstream(command) >> first && isProgramName(first) && !isShellWord(first))
                programs.insert(first);
        }
    }
    return programs;
}

} // namespace

std::string MissingTool(const std::string& commands) {
    for (const std::string& program : programsOf(commands))
        if (!available(program)) return program;
    return "";
}

TCaseFolder::TCaseFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "glimmet-conformance-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    FPath = pattern;
}

TCaseFolder::~TCaseFolder() {
    std::error_code ignored;
    if (!::testing::Test::HasFailure()) std::filesystem::remove_all(FPath, ignored);
}

bool TCaseFolder::Run(const std::string& script, const std::string& commands,
                      const std::string& file, const std::string& output) const {
    std::ofstream(FPath / script) << "set -eo pipefail\n"
                                  << "convert() { " << imageMagick << " \"$@\"; }\n"
                                  << "F='" << file << "'\n"
                                  << commands << "\n";
    return RunCommand("cd '" + FPath.string() + "' && bash " + script + " > " + output + " 2> " +
                      script + ".log") == 0;
}

std::string TCaseFolder::Log(const std::string& script) const {
    std::ifstream in(FPath / (script + ".log"));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
