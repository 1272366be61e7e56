// The driver's serve mode (see Serve.h).
#include "tools/guidriver/Serve.h"

#include <windows.h>

#include <string>
#include <vector>

#include "tools/guidriver/Args.h"
#include "tools/guidriver/Dispatch.h"
#include "tools/guidriver/Output.h"

namespace {

// A command line longer than this is refused rather than held (keys texts are the longest).
const size_t kMaxLine = 64 * 1024;

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (size <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
  return text;
}

// The words of one request line, escapes undone.
std::vector<std::wstring> SplitWords(const std::wstring& line) {
  std::vector<std::wstring> words(1);
  for (size_t i = 0; i < line.size(); ++i) {
    wchar_t c = line[i];
    if (c == L'\t') {
      words.emplace_back();
    } else if (c == L'\\' && i + 1 < line.size()) {
      wchar_t next = line[++i];
      words.back() += next == L't' ? L'\t' : next == L'n' ? L'\n' : next;
    } else if (c != L'\r') {
      words.back() += c;
    }
  }
  return words;
}

int RunLine(const std::wstring& line) {
  std::vector<std::wstring> words = SplitWords(line);
  std::vector<wchar_t*> argv;
  argv.reserve(words.size());
  for (std::wstring& word : words) argv.push_back(&word[0]);
  CArgs args;
  std::wstring error;
  if (!args.Parse(static_cast<int>(argv.size()), argv.data(), error)) return Fail(error);
  return RunCommand(args);
}

}  // namespace

int Serve() {
  SetFailureMarker(std::wstring(1, kServeFailure));
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  std::string pending;
  char chunk[4096];
  for (;;) {
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      int code = RunLine(FromUtf8(line));
      PrintLine(std::wstring(1, kServeEnd) + std::to_wstring(code));
    }
    if (pending.size() > kMaxLine) {
      Fail(L"command line too long");
      return 1;
    }
    DWORD read = 0;
    if (!ReadFile(input, chunk, sizeof chunk, &read, nullptr) || read == 0) return 0;
    pending.append(chunk, read);
  }
}
