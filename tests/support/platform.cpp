#include "tests/support/platform.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace testsupport {

namespace {

#if defined(_WIN32)
int ProcessId() { return _getpid(); }
#else
int ProcessId() { return getpid(); }
#endif

int ExitStatus(int status) {
#if defined(_WIN32)
  return status;
#else
  return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace

fs::path MakeScratchFolder(const std::string& prefix) {
  static std::atomic<unsigned> counter{0};
  const auto tick = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir =
        fs::temp_directory_path() / (prefix + std::to_string(ProcessId()) + "_" + std::to_string(tick % 1000000007ull) +
                                     "_" + std::to_string(counter++));
    std::error_code ec;
    if (fs::create_directory(dir, ec)) return dir;
  }
  return {};
}

void ShareEntry(const fs::path& from, const fs::path& to) {
#if defined(_WIN32)
  fs::copy(from, to, fs::copy_options::recursive);
#else
  fs::create_symlink(from, to);
#endif
}

void SetEnvironment(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

int RunSelf(const std::vector<std::string>& args) {
#if defined(_WIN32)
  char self[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
  if (n == 0 || n >= sizeof self) return -1;
  // The arguments are joined into one command line: quote each.
  std::vector<std::string> quoted{ShellQuoted(self)};
  for (const auto& a : args) quoted.push_back(ShellQuoted(a));
  std::vector<const char*> argv;
  for (const auto& q : quoted) argv.push_back(q.c_str());
  argv.push_back(nullptr);
  const intptr_t status = _spawnv(_P_WAIT, self, argv.data());
  return status == -1 ? -1 : static_cast<int>(status);
#else
  std::vector<std::string> all{"/proc/self/exe"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t child;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(child, &status, 0) != child) return -1;
  return ExitStatus(status);
#endif
}

int RunProgram(const std::string& program, const std::string& args, const std::string& folder,
               const std::string& outFile, const std::string& errFile) {
#if defined(_WIN32)
  // cmd.exe drops the outer quotes of a command line that starts with one.
  const std::string cmd = "\"cd /d " + ShellQuoted(folder) + " && " + ShellQuoted(program) + " " + args + " >" +
                          ShellQuoted(outFile) + " 2>" + ShellQuoted(errFile) + "\"";
#else
  const std::string cmd = "cd " + ShellQuoted(folder) + " && " + ShellQuoted(program) + " " + args + " >" +
                          ShellQuoted(outFile) + " 2>" + ShellQuoted(errFile);
#endif
  return ExitStatus(std::system(cmd.c_str()));
}

std::string ShellQuoted(const std::string& s) {
#if defined(_WIN32)
  return "\"" + s + "\"";
#else
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
#endif
}

std::string ProgramFile(const std::string& name) {
#if defined(_WIN32)
  return name + ".exe";
#else
  return name;
#endif
}

}  // namespace testsupport
