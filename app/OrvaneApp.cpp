// COrvaneApp: start-up, single instance, the modal panel and the exit.
#include "app/OrvaneApp.h"

#include <ole2.h>

#include "app/MainFrame.h"
#include "app/OrvaneDoc.h"
#include "app/OrvaneView.h"
#include "app/PanelDlg.h"
#include "app/WindowTitle.h"
#include "app/output/imaging/ScanImage.h"
#include "app/settings/PaperNames.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

// The one application object; constructing it binds the libraries.
COrvaneApp theApp;

COrvaneApp& App() { return theApp; }

COrvaneApp::COrvaneApp() = default;

COrvaneApp::~COrvaneApp() {
  FreeLanguageLibrary();
  for (auto& table : m_resolutionTables) table.reset();
  m_paperNames.RemoveAll();
}

bool COrvaneApp::InitInstance() {
  m_programDir = Module::Directory(GetModuleHandleA(nullptr), 500);
  m_settingsPath = m_programDir + Keys::kSettingsFileName;
  m_settings.SetPath(m_settingsPath);
  ReadStartupSettings();
  DetermineLanguage();
  LoadLanguageLibrary();
  ComposeTitle();

  if (ActivateOtherInstance()) return false;

  if (FAILED(OleInitialize(nullptr))) {
    MessageBoxA(nullptr, LoadResourceString(m_hInstance, IDS_OLE_INIT_FAILED).c_str(), m_windowTitle.c_str(),
                MB_OK | MB_ICONSTOP);
    return false;
  }
  CScanImage::StartUp();
  if (!CreateHiddenFrame()) return false;

  CPanelDlg panel;
  m_pPanel = &panel;
  panel.DoModal();
  m_pPanel = nullptr;
  return false;
}

int COrvaneApp::ExitInstance() {
  if (m_binding.DcAppTerminateDS) m_binding.DcAppTerminateDS();
  FreeLanguageLibrary();
  m_docTemplate.reset();
  m_pMainFrame = nullptr;
  m_pMainWnd = nullptr;
  CScanImage::ShutDown();
  OleUninitialize();
  return CWinApp::ExitInstance();
}

bool COrvaneApp::PreTranslateMessage(MSG* msg) {
  // The scanner's data source sees every queued message first.
  if (m_pPanel && m_pPanel->Job().OfferToSource(msg)) return true;
  return CWinApp::PreTranslateMessage(msg);
}

void COrvaneApp::ReadStartupSettings() {
  m_description.SetPath(m_settings.ReadText(Keys::kScanSetting, Keys::kPath, "", 500));
  m_paperCount = m_description.ReadInt(Keys::kSupportSize, Keys::kCount, 0);
  m_autoEntry = m_settings.ReadInt(Keys::kScanSetting, Keys::kAuto, 1);
  const CString paperNames =
      m_paperCount >= 1 ? m_description.ReadText(Keys::kSupportSize, Keys::kPaperName, "", 512) : CString();
  m_paperNames = BuildPaperNameList(m_paperCount, paperNames, m_autoEntry);

  const CString dsSection = m_description.ReadText(Keys::kCaseInfo, Keys::kDSSectionName, "", 500);
  m_preScanDpi = m_description.ReadInt(dsSection, Keys::kPreScanDpi, 36);
  m_preScanWidth = m_description.ReadInt(dsSection, Keys::kPreScanWidth, 306);
  m_preScanHeight = m_description.ReadInt(dsSection, Keys::kPreScanHeight, 396);
}

void COrvaneApp::ComposeTitle() {
  const CString appTitle = LoadResourceString(m_hInstance, IDS_APP_TITLE);
  const CString dsSection = m_description.ReadText(Keys::kCaseInfo, Keys::kDSSectionName, "", 60);
  const CString brand = m_description.ReadText(dsSection, Keys::kBrand, "", 60);
  const CString model = m_description.ReadText(appTitle, Keys::kModel, Keys::kNull, 60);
  const CString package = m_description.ReadText(appTitle, Keys::kPackage, Keys::kNull, 60);
  m_windowTitle = ComposeWindowTitle(brand, model, package, appTitle);
}

bool COrvaneApp::ActivateOtherInstance() const {
  HWND other = FindWindowA(nullptr, m_windowTitle.c_str());
  if (!other) return false;
  if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
  SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(other, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(other);
  return true;
}

bool COrvaneApp::CreateHiddenFrame() {
  m_docTemplate.reset(new CSingleDocTemplate(
      IDR_MAINFRAME, []() -> CDocument* { return new COrvaneDoc; },
      []() -> CFrameWnd* { return new CMainFrame; }, []() -> CView* { return new COrvaneView; }));
  // The frame's own title differs from the panel's, so that the single-instance search
  // never finds the hidden frame.
  const CString frameTitle = "Untitled - " + LoadResourceString(m_hInstance, IDS_APP_TITLE);
  CFrameWnd* frame = m_docTemplate->OpenNewDocument(frameTitle.c_str());
  if (!frame) return false;
  frame->ShowWindow(SW_HIDE);
  frame->MoveWindow(0, 200, 10, 10);
  m_pMainFrame = frame;
  m_pMainWnd = frame;
  return true;
}
