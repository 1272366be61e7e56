// CWinApp and the program entry point.
#include "framework/WinApp.h"

#include "framework/MessagePump.h"
#include "framework/Module.h"

CWinApp* CWinApp::s_current = nullptr;

CWinApp::CWinApp() {
  s_current = this;
  MessagePump::SetFilter(this);
}

CWinApp::~CWinApp() {
  if (s_current != this) return;
  s_current = nullptr;
  MessagePump::SetFilter(nullptr);
}

bool CWinApp::PreTranslateMessage(MSG* msg) {
  if (!msg->hwnd) return false;
  HWND top = GetAncestor(msg->hwnd, GA_ROOT);
  if (!top) return false;
  char className[16] = {};
  GetClassNameA(top, className, sizeof(className));
  if (lstrcmpA(className, "#32770") != 0) return false;
  return IsDialogMessageA(top, msg) != FALSE;
}

int CWinApp::Run() {
  while (MessagePump::PumpOne()) {
  }
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  return ExitInstance();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  CWinApp* app = CWinApp::Current();
  if (!app) return 0;
  app->m_hInstance = instance;
  app->m_lpCmdLine = commandLine ? commandLine : "";
  app->m_nCmdShow = show;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
