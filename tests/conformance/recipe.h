#pragma once
// Running a case's shell commands: the tools they need, and the folder they run in.

#include <filesystem>
#include <string>

// The first program the commands run that is not installed; empty when all are.
std::string MissingTool(const std::string& commands);

// A fresh folder per case, kept when the case fails so its files can be looked at.
class TCaseFolder {
public:
    TCaseFolder();
    ~TCaseFolder();
    TCaseFolder(const TCaseFolder&) = delete;
    TCaseFolder& operator=(const TCaseFolder&) = delete;
    const std::filesystem::path& Path() const { return FPath; }

    // Runs the commands as the bash script named script, with $F set to file and "convert"
    // bound to /usr/bin/convert; standard output goes to output, standard error to
    // script + ".log". Answers whether the script succeeded.
    bool Run(const std::string& script, const std::string& commands, const std::string& file,
             const std::string& output) const;
    std::string Log(const std::string& script) const;

private:
    std::filesystem::path FPath;
};
