// COrvaneApp: the program's application object. Its start-up binds the two libraries, builds
// the program context, keeps to one instance, makes the hidden frame and runs the front panel
// modally; the program ends when the panel ends.
#pragma once

#include <windows.h>

#include <memory>

#include "app/LibraryBinding.h"
#include "app/ProgramContext.h"
#include "app/output/imaging/ScanImage.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

class CPanelDlg;

class COrvaneApp : public CWinApp {
 public:
  COrvaneApp();
  ~COrvaneApp() override;

  bool InitInstance() override;
  int ExitInstance() override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  bool ActivateOtherInstance() const;
  bool CreateHiddenFrame();

  CLibraryBinding m_binding;
  std::unique_ptr<CProgramContext> m_context;
  bool m_oleStarted = false;
  std::unique_ptr<CScanImage::CSession> m_imaging;
  std::unique_ptr<CSingleDocTemplate> m_docTemplate;
  CFrameWnd* m_frame = nullptr;
  // The running panel: its scan job's source sees every queued message first.
  CPanelDlg* m_panel = nullptr;
};
