// Frame, view and document: a top-level frame window that owns one child view showing one
// document, created together by a single-document template.
#pragma once

#include "framework/PrintInfo.h"
#include "framework/PrinterSettings.h"
#include "framework/Wnd.h"

class CPrintStatusDlg;

// A window of a registered class whose messages reach WindowProc.
class CWindow : public CWnd {
 public:
  ~CWindow() override;

 protected:
  // Registers `className` with this framework's window procedure (once per module).
  static bool RegisterClassOnce(const char* className, HICON icon);
  bool CreateWindowOfClass(const char* className, const char* title, DWORD style, DWORD exStyle,
                           const RECT& rect, HWND parent, HMENU menuOrId);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnTimer(UINT_PTR id) {}
  // True when the command was handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }
  // The window is going; its children still exist.
  virtual void OnDestroy() {}

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
};

class CDocument {
 public:
  virtual ~CDocument() = default;
  // The title names the document's print jobs.
  const CString& GetTitle() const { return m_title; }
  void SetTitle(const char* title) { m_title = title; }

 private:
  CString m_title;
};

class CView : public CWindow {
 public:
  // How a print command ended.
  enum PrintResult {
    kPrinted,
    kNoPrinter,    // no printer DC could be made from the application's printer settings
    kStartFailed,  // the printer refused the job
    kFailed,       // the printer failed during the job, which was cancelled
    kCancelled,    // the user cancelled it in the status window
    kWithdrawn,    // the view could not print its page; nothing was printed
  };

  bool Create(HWND parent, CDocument* document);
  CDocument* GetDocument() const { return m_document; }
  // The frame offers each command to its view first.
  bool RouteCommand(WORD id, WORD code, HWND control) { return OnCommand(id, code, control); }

  // The print command: prepare printing, begin printing, for each page prepare the page and
  // print it, end printing; with the printing status window (captioned `appName`) shown
  // meanwhile.
  PrintResult OnFilePrint(const CString& appName);

 protected:
  // The default makes the printer DC (DoPreparePrinting).
  virtual bool OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }
  virtual void OnBeginPrinting(HDC dc, CPrintInfo* info) {}
  // The default goes on while the last page is known, else with the first page only.
  virtual void OnPrepareDC(HDC dc, CPrintInfo* info);
  virtual void OnPrint(HDC dc, CPrintInfo* info) {}
  virtual void OnEndPrinting(HDC dc, CPrintInfo* info) {}
  // Makes the printer DC from the view's printer settings (the default printer's when it has
  // none). False when there is no printer.
  bool DoPreparePrinting(CPrintInfo* info);
  // The printer settings that printing uses; empty until set or first needed.
  CPrinterSettings& PrinterSettings() { return m_printerSettings; }

 private:
  PrintResult PrintPages(HDC dc, CPrintInfo* info, CPrintStatusDlg* status);

  CDocument* m_document = nullptr;
  CPrinterSettings m_printerSettings;
};

class CFrameWnd : public CWindow {
 public:
  bool Create(const char* title, HICON icon);
  CView* GetActiveView() const { return m_view; }
  void SetActiveView(CView* view) { m_view = view; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CView* m_view = nullptr;
};

// Pairs a document, a frame and a view class; OpenNewDocument makes one of each. The template
// owns them for the rest of the run.
class CSingleDocTemplate {
 public:
  using DocumentFactory = CDocument* (*)();
  using FrameFactory = CFrameWnd* (*)();
  using ViewFactory = CView* (*)();

  CSingleDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view)
      : m_resourceId(resourceId), m_makeDocument(document), m_makeFrame(frame), m_makeView(view) {}
  ~CSingleDocTemplate();
  CSingleDocTemplate(const CSingleDocTemplate&) = delete;
  CSingleDocTemplate& operator=(const CSingleDocTemplate&) = delete;

  // Creates the document, its frame (titled `title`) and view. Returns the frame or null.
  CFrameWnd* OpenNewDocument(const char* title);
  CDocument* Document() const { return m_document; }

 private:
  UINT m_resourceId;
  DocumentFactory m_makeDocument;
  FrameFactory m_makeFrame;
  ViewFactory m_makeView;
  CDocument* m_document = nullptr;
  CFrameWnd* m_frame = nullptr;
  CView* m_view = nullptr;
};
