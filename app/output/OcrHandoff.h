// COcrHandoff: one OCR job of the view: prepares the OCR engine's registry values, starts the
// engine on the job's image, watches its process, takes the text it pastes into the text file
// in DATA, opens that file in WordPad (or, where WordPad is gone, with the program Windows has
// for its type, or else shows it in its folder), and restores the registry values when the view goes.
// A job that keeps the page as a searchable PDF has the engine write it in DATA and opens it
// with the program Windows associates with ".pdf"; a job that keeps it as a compact PDF has
// the engine give the boxes of the words it read, and writes the compact page with the words
// laid over it itself.
#pragma once

#include <windows.h>

#include "app/output/OcrValues.h"
#include "app/output/imaging/CompactPage.h"
#include "framework/Handles.h"
#include "framework/String.h"

struct OcrJob {
  OcrValues::Mode mode = OcrValues::kNoOcr;
  CString engineKey;      // the engine's key under the current user
  CString engineProgram;  // the engine's program file
  CString imagePath;      // the job's TIFF
  CString programDir;     // ends in a backslash
  // What the page is kept as: rich text, the engine's searchable PDF, or our compact PDF
  // with the words the engine found (kWordBoxes; the image is then the page as scanned).
  OcrValues::Output output = OcrValues::kRichText;
  int scanDpi = 0;  // the resolution the page was scanned at (0: as its file says)
  CompactQuality quality = CompactQuality::kSmall;
};

// How a step of the job left it.
enum class OcrOutcome {
  kWaiting,        // the engine is still at work (or the event was not the job's)
  kTextOpened,     // the text file is written and WordPad (or the ".doc" program) started on it
  kTextShown,      // the text file is written; no program opens it: its folder shows it selected
  kNoText,         // the engine ended without delivering any text
  kEngineFailed,   // the engine ended with an error
  kTextNotSaved,   // rich text arrived but could not be written; it stays on the clipboard
  kPdfOpened,      // the searchable PDF is written and opened with the ".pdf" program
  kPdfNoViewer,    // the searchable PDF is written, but no program opens ".pdf" files
  kPdfNotWritten,  // the word boxes came, but the compact PDF could not be written
};

// Told when the OCR of a page has ended (the scan job).
class IOcrJobOwner {
 public:
  virtual ~IOcrJobOwner() = default;
  // `outputFile`: the text file or the PDF of the page.
  virtual void OnOcrEnded(OcrOutcome outcome, const char* outputFile) = 0;
};

class COcrHandoff {
 public:
  COcrHandoff() = default;
  COcrHandoff(const COcrHandoff&) = delete;
  COcrHandoff& operator=(const COcrHandoff&) = delete;

  // Prepares the key, starts the engine and the view's timer. False (with the key left as it
  // was) when DATA, the text file name, the key or the engine are not to be had, or while the
  // job before is still at work. Each page of a batch is a job of its own, with its own text
  // file.
  bool Start(HWND view, HWND frame, const OcrJob& job);
  // A timer tick of the view: the job's end when its engine has ended.
  OcrOutcome OnTimer(HWND view, UINT_PTR id);
  // The Paste command: with rich text on the clipboard, the job's end.
  OcrOutcome OnPaste(HWND view);
  // The view is going: stop watching and restore the key's values.
  void OnViewDestroyed(HWND view);
  // The job's text file or PDF.
  const char* OutputFile() const { return m_outputFile; }

 private:
  void RestoreValues();
  void StopTimer(HWND view);
  bool SaveRichText(HANDLE data) const;
  void AnswerWithFileName(HWND view) const;
  OcrOutcome OpenText() const;
  OcrOutcome OpenPdf() const;
  // The compact page with the engine's words over it, in the output file.
  bool WriteCompactPdf() const;
  bool OutputHasContent() const;

  OcrValues::Mode m_mode = OcrValues::kNoOcr;
  OcrValues::Output m_output = OcrValues::kRichText;
  char m_outputFile[OcrValues::kTextFileField] = {};
  // kWordBoxes: where the engine puts them (beside the page), the page and how to write it.
  CString m_wordBoxFile;
  CString m_imagePath;
  int m_scanDpi = 0;
  CompactQuality m_quality = CompactQuality::kSmall;
  CString m_engineKey;
  CKernelHandle m_process;
  UINT_PTR m_timer = 0;
  bool m_ended = false;
};
