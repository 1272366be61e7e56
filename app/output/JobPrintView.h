// CJobPrintView: a view that prints one job's page (the scanned image, or the first page of a
// text file) on the printer of Copy or Fax, through the framework's printing procedure.
#pragma once

#include <cstdio>
#include <memory>

#include "app/output/PrintJob.h"
#include "app/output/imaging/ScanImage.h"
#include "framework/FrameWnd.h"

class CJobPrintView : public CView {
 public:
  // Prints the job's page on the output device of its copy mode: that printer is the system's
  // default printer during the job, with the copies of the Copy settings and coarse
  // dithering; one page, no print dialog. Failures are told in a message box.
  PrintResult PrintJob(const CPrintJob& job);

 protected:
  bool OnPreparePrinting(CPrintInfo* info) override;
  void OnPrepareDC(HDC dc, CPrintInfo* info) override;
  void OnPrint(HDC dc, CPrintInfo* info) override;
  void OnEndPrinting(HDC dc, CPrintInfo* info) override;

 private:
  struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
  };

  bool SetPrinterSettings();
  // A message of the job with the application title, above `owner` (the status window while
  // there is one).
  void ShowMessage(const CPrintJob& job, const CString& text, HWND owner = nullptr) const;
  void UpdateStatusWindow(const CPrintInfo& info) const;
  // Sets a line of the printing status window, when there is one.
  static void SetStatusLine(HWND status, int id, const CString& text);
  void PrintImage(HDC dc, CPrintInfo* info);
  void PrintText(HDC dc, CPrintInfo* info);

  const CPrintJob* m_job = nullptr;  // set while PrintJob runs
  int m_copyMode = 1;
  CScanImage m_image;
  bool m_textContinues = false;
  std::unique_ptr<FILE, FileCloser> m_textFile;
  CString m_extension;
};
