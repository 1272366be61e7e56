// StartProcess.
#include "framework/Process.h"

CKernelHandle StartProcess(const CString& commandLine, WORD show) {
  CString buffer = commandLine;  // CreateProcess may write into the command line
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &buffer.str()[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &info)) {
    return CKernelHandle();
  }
  const CKernelHandle thread(info.hThread);
  return CKernelHandle(info.hProcess);
}
