// Starts a Windows program with the variables Wine keeps from Windows programs (the host's
// QT_ ones among them): every VELMARO_WINE_ENV_<NAME>=<value> of this program's environment
// becomes <NAME>=<value> for the program it starts, for that program alone.
//   velmaro_wine_env PROGRAM [ARGUMENTS...]
// The rest of the command line reaches the program exactly as it came; its exit status is
// this program's.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kPrefix[] = L"VELMARO_WINE_ENV_";

// The command line after its first word, this program's own name, split as Windows splits it.
const wchar_t* AfterFirstWord(const wchar_t* line) {
  bool quoted = false;
  for (; *line != L'\0'; ++line) {
    if (*line == L'"') {
      quoted = !quoted;
    } else if (!quoted && (*line == L' ' || *line == L'\t')) {
      break;
    }
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

void RenameVariables() {
  std::vector<std::pair<std::wstring, std::wstring>> found;
  wchar_t* block = GetEnvironmentStringsW();
  if (block == nullptr) return;
  const std::size_t prefixLength = std::wcslen(kPrefix);
  for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::wstring text(entry);
    if (text.compare(0, prefixLength, kPrefix) != 0) continue;
    const std::size_t equals = text.find(L'=', prefixLength);
    if (equals == std::wstring::npos || equals == prefixLength) continue;
    found.emplace_back(text.substr(prefixLength, equals - prefixLength), text.substr(equals + 1));
  }
  FreeEnvironmentStringsW(block);
  for (const auto& [name, value] : found) SetEnvironmentVariableW(name.c_str(), value.c_str());
}

}  // namespace

int main() {
  RenameVariables();
  std::wstring command = AfterFirstWord(GetCommandLineW());
  if (command.empty()) {
    std::fputs("usage: velmaro_wine_env PROGRAM [ARGUMENTS...]\n", stderr);
    return 125;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Inherited handles: the program writes to this one's output and error streams.
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "velmaro_wine_env: cannot start the program (error %lu)\n",
                 GetLastError());
    return 125;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 1;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
