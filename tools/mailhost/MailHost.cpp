// mailhost: binds Postlib.dll from its own directory by its export names, as the front
// panel does, and runs a script (one command a line, words separated by tabs):
//   smtp SERVER                          SetMailSMTP
//   security N PORT                      SetMailSecurity (0 none, 1 STARTTLS, 2 TLS; port 0: its own)
//   login USER PASSWORD                  SetMailLogin
//   test SENDER                          MailTestServer
//   oauth N AUTHORIZE TOKEN SCOPE ID [SECRET]  SetMailOAuth (- for an empty value)
//   signin                               MailSignIn
//   send SENDER RECIPIENT [FILE ...]     MailStartSend with a hidden notification window
//   content                              MailContent
//   gui ACTION ...                       queued dialog action, played during the next call
//   pump MS                              dispatches messages for MS milliseconds
//   unload                               frees the library (its shut-down)
//   memory                               logs the process's peak working set so far
// It logs every result, WM_MAIL_DONE and message box on stdout.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Module.h"
#include "framework/String.h"
#include "mail/MailApi.h"
#include "tools/mailhost/GuiScript.h"

namespace {
int g_mailDone = 0;

LRESULT CALLBACK NotifyProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MAIL_DONE) {
    // The progress window goes right after this notice, and a send can now finish between two
    // ticks of the action timer: the queued actions get one more turn while it still stands.
    GuiScript::Poll();
    ++g_mailDone;
    GuiScript::Log("WM_MAIL_DONE " + std::to_string(wParam) + " " + std::to_string(lParam));
    return 0;
  }
  return DefWindowProcA(wnd, message, wParam, lParam);
}

HWND CreateNotifyWindow() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = NotifyProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "MailHostFrame";
  RegisterClassA(&wc);
  // A hidden top-level frame, like the program's hidden document frame.
  return CreateWindowExA(0, "MailHostFrame", "mailhost", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

// Words are separated by tabs; inside a word <CR> and <LF> stand for CR and LF (paths keep
// their backslashes).
std::string Unescape(std::string word) {
  for (const auto& [token, ch] : {std::pair<const char*, char>{"<CR>", '\r'}, {"<LF>", '\n'}}) {
    for (size_t at; (at = word.find(token)) != std::string::npos;) word.replace(at, 4, 1, ch);
  }
  return word;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> words;
  std::stringstream in(line);
  std::string word;
  while (std::getline(in, word, '\t')) words.push_back(Unescape(word));
  return words;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mailhost SCRIPT\n");
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "mailhost: cannot read %s\n", argv[1]);
    return 2;
  }
  const CString library = Module::Directory(nullptr) + "Postlib.dll";
  HMODULE postlib = LoadLibraryA(library);
  if (!postlib) {
    GuiScript::Log("load failed " + std::to_string(GetLastError()));
    return 3;
  }
  auto setSmtp = reinterpret_cast<SetMailSMTPFn>(GetProcAddress(postlib, "SetMailSMTP"));
  auto content = reinterpret_cast<MailContentFn>(GetProcAddress(postlib, "MailContent"));
  auto startSend = reinterpret_cast<MailStartSendFn>(GetProcAddress(postlib, "MailStartSend"));
  auto setSecurity = reinterpret_cast<SetMailSecurityFn>(GetProcAddress(postlib, "SetMailSecurity"));
  auto setLogin = reinterpret_cast<SetMailLoginFn>(GetProcAddress(postlib, "SetMailLogin"));
  auto testServer = reinterpret_cast<MailTestServerFn>(GetProcAddress(postlib, "MailTestServer"));
  auto setOAuth = reinterpret_cast<SetMailOAuthFn>(GetProcAddress(postlib, "SetMailOAuth"));
  auto signIn = reinterpret_cast<MailSignInFn>(GetProcAddress(postlib, "MailSignIn"));
  if (!setSmtp || !content || !startSend || !setSecurity || !setLogin || !testServer || !setOAuth ||
      !signIn) {
    GuiScript::Log("bind failed");
    return 4;
  }
  GuiScript::Log("bound");
  HWND notify = CreateNotifyWindow();
  GuiScript::Start();

  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> words = Split(line);
    if (words.empty() || words[0].empty() || words[0][0] == '#') continue;
    const std::string& verb = words[0];
    if (verb == "gui") {
      words.erase(words.begin());
      GuiScript::Queue(words);
    } else if (verb == "smtp") {
      CString server(words.size() > 1 ? words[1].c_str() : "");
      setSmtp(server);
    } else if (verb == "send") {
      CString sender(words.size() > 1 ? words[1].c_str() : "");
      CString recipient(words.size() > 2 ? words[2].c_str() : "");
      CStringArray files;
      for (size_t i = 3; i < words.size(); ++i) files.Add(words[i].c_str());
      const int doneBefore = g_mailDone;
      const double start = GuiScript::NowMs();
      const int result = startSend(sender, recipient, files, notify);
      const double end = GuiScript::NowMs();
      GuiScript::Stop();
      // ms: how long the call took; at: when it returned, on the clock of the "clicked" lines.
      GuiScript::Log("send=" + std::to_string(result) + " done=" + std::to_string(g_mailDone - doneBefore) +
                     " ms=" + GuiScript::FormatMs(end - start) + " at=" + GuiScript::FormatMs(end));
    } else if (verb == "security") {
      setSecurity(std::stoi(words.at(1)), words.size() > 2 ? std::stoi(words[2]) : 0);
    } else if (verb == "login") {
      CString user(words.size() > 1 ? words[1].c_str() : "");
      CString password(words.size() > 2 ? words[2].c_str() : "");
      setLogin(user, password);
    } else if (verb == "test") {
      CString sender(words.size() > 1 ? words[1].c_str() : "");
      const double start = GuiScript::NowMs();
      const int result = testServer(sender);
      const double end = GuiScript::NowMs();
      GuiScript::Stop();
      GuiScript::Log("test=" + std::to_string(result) + " ms=" + GuiScript::FormatMs(end - start));
    } else if (verb == "oauth") {
      CString values[5];
      for (size_t i = 0; i < 5; ++i) {
        const std::string word = words.size() > i + 2 ? words[i + 2] : "-";
        values[i] = word == "-" ? "" : word.c_str();
      }
      setOAuth(std::stoi(words.at(1)), values[0], values[1], values[2], values[3], values[4]);
    } else if (verb == "signin") {
      const int result = signIn();
      GuiScript::Stop();
      GuiScript::Log("signin=" + std::to_string(result));
    } else if (verb == "content") {
      const int result = content();
      GuiScript::Stop();
      GuiScript::Log("content=" + std::to_string(result));
    } else if (verb == "pump") {
      // Dispatches messages for the given milliseconds (a late connection, a late notice).
      const DWORD until = GetTickCount() + static_cast<DWORD>(std::stoul(words.at(1)));
      while (static_cast<LONG>(until - GetTickCount()) > 0) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        } else {
          MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
      }
      GuiScript::Stop();
    } else if (verb == "memory") {
      PROCESS_MEMORY_COUNTERS counters = {};
      counters.cb = sizeof(counters);
      GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
      GuiScript::Log("peak_working_set=" + std::to_string(counters.PeakWorkingSetSize / 1024) + " kB");
    } else if (verb == "unload") {
      FreeLibrary(postlib);
      postlib = nullptr;
      GuiScript::Log("unloaded");
    } else {
      GuiScript::Log("unknown command " + verb);
    }
  }
  if (postlib) FreeLibrary(postlib);
  GuiScript::Log("end");
  return 0;
}
