// A helper of the uninstall test under Wine: keeps one file open without sharing, as a program
// that still uses a file of the product would.
//
// Usage: hold_file.exe FILE FLAG REPORT
//   Opens FILE for reading with no sharing at all (nobody can read, write or delete it), then
//   writes REPORT: the short form of FILE on its first line. REPORT appears only once the file
//   is held, so the test waits for it. The file is let go when FLAG exists, after 120 seconds
//   at the latest (a test that died must not leave the file held for good).
// Exit codes: 0 let go after FLAG appeared, 1 usage, 2 FILE could not be opened, 3 REPORT
// could not be written, 4 let go after the time limit.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool Exists(const char* path) { return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hold_file FILE FLAG REPORT\n");
    return 1;
  }
  const char* file = argv[1];
  const char* flag = argv[2];
  const char* report = argv[3];

  HANDLE held = ::CreateFileA(file, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot open %s (error %lu)\n", file, ::GetLastError());
    return 2;
  }

  char shortForm[MAX_PATH * 2] = {};
  const DWORD length = ::GetShortPathNameA(file, shortForm, sizeof shortForm);
  const std::string line =
      (length > 0 && length < sizeof shortForm ? std::string(shortForm, length) : std::string()) +
      "\r\n";
  FILE* out = std::fopen(report, "wb");
  if (out == nullptr || std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
    if (out != nullptr) std::fclose(out);
    ::CloseHandle(held);
    return 3;
  }
  std::fclose(out);

  for (int tenths = 0; tenths < 1200; ++tenths) {
    if (Exists(flag)) {
      ::CloseHandle(held);
      return 0;
    }
    ::Sleep(100);
  }
  ::CloseHandle(held);
  return 4;
}
