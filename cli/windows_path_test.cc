// Tables of cases for the Windows path forms and the wildcard matcher, run
// under Wine (no test framework is cross-built, so this is a plain program:
// it prints each failure and a count, and exits 1 on a failure).
#include <windows.h>

#include <cstdio>
#include <string>

#include "cli/windows_path.h"

namespace {

int g_passed = 0;
int g_failed = 0;

std::string Narrow(const std::wstring& wide) {
  std::string out;
  for (const wchar_t c : wide) out += c < 128 ? static_cast<char>(c) : '#';
  return out;
}

void Expect(bool ok, const char* label, const std::wstring& detail) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAILED: %s: %s\n", label, Narrow(detail).c_str());
  }
}

void ExtendedLengthPaths() {
  const std::wstring part(100, L'x');  // three of them pass MAX_PATH
  const std::wstring deep = part + L"\\" + part + L"\\" + part + L".day";
  const std::wstring slashed = part + L"/" + part + L"/" + part + L".day";
  const std::wstring extended = L"\\\\?\\C:\\" + deep;
  struct Case {
    const char* label;
    std::wstring path;
    std::wstring expected;
  } cases[] = {
      {"short relative", L"data.day", L"data.day"},
      {"short absolute", L"C:\\quotes\\..\\data.day",
       L"C:\\quotes\\..\\data.day"},
      {"relative", deep, extended},
      {"absolute", L"C:\\" + deep, extended},
      {"drive-relative", L"C:" + deep, extended},
      {"rooted, no drive", L"\\" + deep, extended},
      {"forward slashes", L"C:/" + slashed, extended},
      {"dot dot", L"C:\\old\\..\\" + deep, extended},
      {"dot", L"C:\\.\\" + deep, extended},
      {"share", L"\\\\server\\share\\" + deep,
       L"\\\\?\\UNC\\server\\share\\" + deep},
      {"share, forward slashes", L"//server/share/" + slashed,
       L"\\\\?\\UNC\\server\\share\\" + deep},
      {"already extended", L"\\\\?\\C:\\a\\..\\" + deep,
       L"\\\\?\\C:\\a\\..\\" + deep},
      {"device namespace", L"\\\\.\\C:\\" + deep, L"\\\\.\\C:\\" + deep},
  };
  for (const Case& c : cases) {
    const std::wstring got = platform::ExtendedLengthPath(c.path);
    Expect(got == c.expected, c.label, got);
  }
}

void Wildcards() {
  struct Case {
    const wchar_t* pattern;
    const wchar_t* name;
    bool matches;
  } cases[] = {
      {L"*.day", L"a.day", true},
      {L"*.day", L"C.DAY", true},
      {L"*.day", L"b.dayz", false},
      {L"*.day", L"d.days", false},
      {L"*.day", L"longer name file.dayold", false},
      {L"*.day", L"a.day.day", true},
      {L"?.day", L"a.day", true},
      {L"?.day", L"ab.day", false},
      {L"a*b*c", L"aXbYc", true},
      {L"a*b*c", L"aXbYcb", false},
      {L"*", L"", true},
      {L"", L"", true},
      {L"", L"a", false},
      {L"*.*", L"noext", false},
      {L"\u65e5*.day", L"\u65e5\u7ebf.day", true},      // Chinese
      {L"*\u00e4*", L"x\u00c4y", true},                 // case beyond ASCII
  };
  for (const Case& c : cases) {
    Expect(platform::MatchesWildcard(c.pattern, c.name) == c.matches,
           "wildcard", std::wstring(c.pattern) + L" ~ " + c.name);
  }
}

}  // namespace

int main() {
  // Relative names resolve against the current directory: make it known.
  if (!SetCurrentDirectoryW(L"C:\\")) {
    std::printf("cannot enter C:\\\n");
    return 1;
  }
  ExtendedLengthPaths();
  Wildcards();
  std::printf("windows_path: %d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
