// The library as a file: what it exports and what it needs.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return text;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
    pclose(pipe);
    return text;
}

// The last word of every line that has the marker (or every line when it is empty).
std::set<std::string> lastWords(const std::string& text, const std::string& marker) {
    std::set<std::string> words;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find(marker) == std::string::npos) continue;
        const size_t end = line.find_last_not_of(" ]");
        const size_t start = line.find_last_of(" [", end);
        if (end != std::string::npos) words.insert(line.substr(start + 1, end - start));
    }
    return words;
}

constexpr bool Sanitized =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer);
#else
    false;
#endif

TEST(ClarendFile, ExportsExactlyTheCorrections) {
    const auto symbols = lastWords(output("nm -D --defined-only '" CLAREND_LIBRARY "' 2>&1"), "");
    EXPECT_EQ(symbols,
              (std::set<std::string>{"hVuxFixRedEye", "hVuxFixRedEye2", "pVuxFixRedEye",
                                     "pVuxFixRedEye2", "VuxBrightContrastGamma", "VuxUnSharpMask",
                                     "VuxPtrFilter", "VuxFilter_3x3", "VuxDestreakImage",
                                     "VuxRotateDib", "VuxRotateImage", "VuxDeskewImage"}));
}

TEST(ClarendFile, NeedsOnlyTheCLibraryAndTheMathsLibrary) {
    if (Sanitized) GTEST_SKIP() << "the sanitizers add their own runtimes";
    const auto needed = lastWords(output("readelf -d '" CLAREND_LIBRARY "' 2>&1"), "(NEEDED)");
    EXPECT_EQ(needed, (std::set<std::string>{"libc.so.6", "libm.so.6"}));
}

} // namespace
