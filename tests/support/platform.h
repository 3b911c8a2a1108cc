// What the tests do differently on Linux and on Windows: scratch folders,
// sharing a file of the built root, environment variables and running a
// program (this test binary again, or the runner).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A new, empty folder under the system's temporary folder.
std::filesystem::path MakeScratchFolder(const std::string& prefix);

// Makes `to` name the file or folder `from`: a symbolic link on Linux, a copy
// on Windows (where links need rights a user rarely has).
void ShareEntry(const std::filesystem::path& from, const std::filesystem::path& to);

void SetEnvironment(const char* name, const char* value);  // null value: removes it

// Runs this test binary with the arguments; its exit status, -1 when it could
// not run or did not exit normally.
int RunSelf(const std::vector<std::string>& args);

// Runs a program in a folder, its output and errors to files there; its exit
// status as above.
int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& outFile, const std::string& errFile);

// A word for the command line of RunProgram, quoted as its shell needs.
std::string ShellQuoted(const std::string& s);

// The file name of a program of the build ("kvqsim", "kvqsim.exe").
std::string ProgramFile(const std::string& name);

}  // namespace testsupport
