// Ipe.exe stand-in: the image editor that the Image destination hands its page to. It appends
// one record of how it was started to "ipe.log" beside itself, then exits -- or, with Stay=1
// in section [Ipe] of "ipe.ini" beside itself, shows the page in a window until closed.
// Record: tab-separated key=value fields
//   args=N  exists=yes|no  opens=yes|no  format=jpeg|bmp|tiff|png|gif|other|-  size=WxH
//   status=GDI+ load status  image=<first argument>  cmdline=<whole command line>
// Exit code: 0 when the first argument opens as an image, 2 when it does not.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "tools/standins/EditorWindow.h"
#include "tools/standins/ImageProbe.h"
#include "tools/standins/LogFile.h"

namespace {

std::wstring Record(int arguments, const std::wstring& image, const SImageFacts& facts) {
  std::wstring line = L"args=" + std::to_wstring(arguments);
  line += L"\texists=" + std::wstring(facts.exists ? L"yes" : L"no");
  line += L"\topens=" + std::wstring(facts.opens ? L"yes" : L"no");
  line += L"\tformat=" + facts.format;
  line += L"\tsize=" + std::to_wstring(facts.width) + L"x" + std::to_wstring(facts.height);
  line += L"\tstatus=" + std::to_wstring(facts.status);
  line += L"\timage=" + Printable(image);
  line += L"\tcmdline=" + Printable(GetCommandLineW());
  return line;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::wstring image = (argv && count >= 2) ? argv[1] : L"";
  const int arguments = argv && count > 0 ? count - 1 : 0;
  if (argv) LocalFree(argv);

  CGdiPlusSession gdiplus;
  const SImageFacts facts = gdiplus.Started() ? ProbeImage(image) : SImageFacts();
  if (!AppendLogLine(FileBesideProgram(L"ipe.log"), Record(arguments, image, facts))) return 1;

  const std::wstring options = FileBesideProgram(L"ipe.ini");
  if (GetPrivateProfileIntW(L"Ipe", L"Stay", 0, options.c_str()) != 0) RunEditorWindow(instance, image, show);
  return facts.opens ? 0 : 2;
}
