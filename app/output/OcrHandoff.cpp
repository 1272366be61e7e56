// COcrHandoff: the OCR job's registry values, engine process, pasted text and its opening.
#include "app/output/OcrHandoff.h"

#include <shellapi.h>

#include "app/FreshName.h"
#include "app/JobFiles.h"
#include "app/output/TesseractTsv.h"
#include "app/output/imaging/PdfFromPages.h"
#include "framework/Process.h"

using OcrValues::RegistryValue;

namespace {
const char kDataDirectory[] = "DATA";
const char kTextExtension[] = ".doc";
const char kPdfExtension[] = ".pdf";
// The engine has just closed the clipboard when it pastes; another program may hold it for
// a moment.
const int kClipboardAttempts = 10;
const DWORD kClipboardRetryMs = 50;
const DWORD kRestoreDelayMs = 1000;

// The clipboard, open for as long as the object lives (another program may hold it briefly:
// a few tries).
class CClipboardOpen {
 public:
  explicit CClipboardOpen(HWND owner) {
    for (int attempt = 0; attempt < kClipboardAttempts && !m_open; ++attempt) {
      m_open = OpenClipboard(owner) != FALSE;
      if (!m_open) Sleep(kClipboardRetryMs);
    }
  }
  ~CClipboardOpen() {
    if (m_open) CloseClipboard();
  }
  CClipboardOpen(const CClipboardOpen&) = delete;
  CClipboardOpen& operator=(const CClipboardOpen&) = delete;
  bool IsOpen() const { return m_open; }

 private:
  bool m_open = false;
};

void SetValues(HKEY key, const std::vector<RegistryValue>& values) {
  for (const RegistryValue& value : values) {
    if (value.kind == RegistryValue::kNumber) {
      const DWORD number = value.number;
      RegSetValueExA(key, value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof(number));
    } else if (value.kind == RegistryValue::kText) {
      const BYTE* bytes = value.bytes.empty() ? nullptr : reinterpret_cast<const BYTE*>(value.bytes.data());
      RegSetValueExA(key, value.name.c_str(), 0, REG_SZ, bytes, static_cast<DWORD>(value.bytes.size()));
    } else {
      RegDeleteValueA(key, value.name.c_str());
    }
  }
}
}  // namespace

bool COcrHandoff::Start(HWND view, HWND frame, const OcrJob& job) {
  if ((m_mode != OcrValues::kNoOcr && !m_ended) || job.mode == OcrValues::kNoOcr) return false;
  const CString dataDir = job.programDir + kDataDirectory;
  if (!JobFiles::EnsureDirectory(dataDir, job.programDir)) return false;
  // A page's text and PDF share the name's stem, so that neither takes a name the other has.
  const bool pdf = job.output != OcrValues::kRichText;
  const CString outputFile =
      JobFiles::FreshFileName(dataDir, pdf ? kPdfExtension : kTextExtension, {kTextExtension, kPdfExtension});
  // A path that does not fit the engine's file name field would be saved somewhere else.
  if (outputFile.IsEmpty() || static_cast<size_t>(outputFile.GetLength()) >= sizeof(m_outputFile))
    return false;
  // The word boxes go beside the page in TEMP, for as long as the job lasts.
  const CString wordBoxFile =
      job.output == OcrValues::kWordBoxes ? CString(WithExtension(job.imagePath.str(), "TSV")) : CString();
  if (static_cast<size_t>(wordBoxFile.GetLength()) >= sizeof(m_outputFile)) return false;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, job.engineKey.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
    return false;
  }
  {
    CRegKey key(opened);
    outputFile.CopyTo(m_outputFile, sizeof(m_outputFile));
    m_engineKey = job.engineKey;
    m_mode = job.mode;
    m_output = job.output;
    m_wordBoxFile = wordBoxFile;
    m_imagePath = job.imagePath;
    m_scanDpi = job.scanDpi;
    m_quality = job.quality;
    m_ended = false;
    m_process.Reset();
    if (!m_wordBoxFile.IsEmpty()) DeleteFileA(m_wordBoxFile.c_str());
    const uint32_t window = static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(frame));
    const std::string engineOutput =
        m_wordBoxFile.IsEmpty() ? std::string(m_outputFile) : m_wordBoxFile.str();
    SetValues(key.Get(), OcrValues::StartValues(m_mode, engineOutput, m_output, window));
  }

  // The engine is faceless: it is asked to start hidden.
  m_process =
      StartProcess(OcrValues::EngineCommandLine(job.engineProgram.str(), job.imagePath.str()), SW_HIDE);
  if (m_process) {
    m_timer = SetTimer(view, OcrValues::kTimerId, OcrValues::kTimerMs, nullptr);
    if (m_timer) return true;
    // Nothing would ever notice the engine's end.
    TerminateProcess(m_process.Get(), 1);
    m_process.Reset();
  }
  // No job: nothing is left configured for the next user of the key.
  RestoreValues();
  return false;
}

OcrOutcome COcrHandoff::OnTimer(HWND view, UINT_PTR id) {
  if (id != OcrValues::kTimerId || !m_timer || m_ended) return OcrOutcome::kWaiting;
  if (WaitForSingleObject(m_process.Get(), 1) == WAIT_TIMEOUT) return OcrOutcome::kWaiting;
  StopTimer(view);
  m_ended = true;
  DWORD exitCode = 1;
  if (!GetExitCodeProcess(m_process.Get(), &exitCode) || exitCode != 0) return OcrOutcome::kEngineFailed;
  // Either edition writes the PDF itself, or gives the words for ours.
  if (m_output == OcrValues::kWordBoxes) {
    const bool written = WriteCompactPdf();
    DeleteFileA(m_wordBoxFile.c_str());
    return written ? OpenPdf() : OcrOutcome::kPdfNotWritten;
  }
  if (m_output == OcrValues::kSearchablePdf)
    return OutputHasContent() ? OpenPdf() : OcrOutcome::kEngineFailed;
  // The 2.0 edition saves the text itself; the 96 edition would have pasted it by now.
  if (m_mode != OcrValues::kEdition20 || !OutputHasContent()) return OcrOutcome::kNoText;
  return OpenText();
}

OcrOutcome COcrHandoff::OnPaste(HWND view) {
  // A PDF job takes no pasted text: its engine writes the PDF.
  if (m_mode == OcrValues::kNoOcr || m_ended || m_output != OcrValues::kRichText) return OcrOutcome::kWaiting;
  const UINT richText = RegisterClipboardFormatA(OcrValues::kRichTextFormat);
  {
    const CClipboardOpen clipboard(view);
    if (!clipboard.IsOpen()) {
      StopTimer(view);
      m_ended = true;
      return OcrOutcome::kTextNotSaved;
    }
    HANDLE data = IsClipboardFormatAvailable(richText) ? GetClipboardData(richText) : nullptr;
    // Without rich text the paste changes nothing; the job waits for the engine.
    if (!data) return OcrOutcome::kWaiting;
    StopTimer(view);
    m_ended = true;
    if (!SaveRichText(data)) return OcrOutcome::kTextNotSaved;
    AnswerWithFileName(view);
  }
  return OpenText();
}

void COcrHandoff::OnViewDestroyed(HWND view) {
  if (m_mode == OcrValues::kNoOcr) return;
  StopTimer(view);
  // Gives an engine that is still finishing the time to read its values before they go.
  Sleep(kRestoreDelayMs);
  RestoreValues();
  m_process.Reset();
  // Word boxes of a job whose engine never ended.
  if (!m_wordBoxFile.IsEmpty()) DeleteFileA(m_wordBoxFile.c_str());
}

void COcrHandoff::RestoreValues() {
  HKEY opened = nullptr;
  // A key that has gone keeps nothing to restore.
  if (RegOpenKeyExA(HKEY_CURRENT_USER, m_engineKey.c_str(), 0, KEY_SET_VALUE, &opened) == ERROR_SUCCESS) {
    CRegKey key(opened);
    SetValues(key.Get(), OcrValues::EndValues(m_mode));
  }
  m_mode = OcrValues::kNoOcr;
}

void COcrHandoff::StopTimer(HWND view) {
  if (m_timer) KillTimer(view, m_timer);
  m_timer = 0;
}

bool COcrHandoff::SaveRichText(HANDLE data) const {
  CGlobalLock lock(data);
  const char* block = static_cast<const char*>(lock.Get());
  if (!block) return false;
  const DWORD length = static_cast<DWORD>(OcrValues::RichTextLength(block, GlobalSize(data)));
  CFileHandle file(
      CreateFileA(m_outputFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.Get(), block, length, &written, nullptr) || written != length) {
    file.Reset();
    DeleteFileA(m_outputFile);
    return false;
  }
  return true;
}

void COcrHandoff::AnswerWithFileName(HWND view) const {
  const std::string list = OcrValues::FileNameList(m_outputFile);
  EmptyClipboard();
  CGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, list.size()));
  if (!memory) return;
  {
    CGlobalLock lock(memory.Get());
    if (!lock.Get()) return;
    CopyMemory(lock.Get(), list.data(), list.size());
  }
  // The clipboard owns the block once it has taken it.
  if (SetClipboardData(RegisterClipboardFormatA(OcrValues::kFileNameListFormat), memory.Get()))
    memory.Release();
}

// WordPad first; where it is gone (current Windows 11), the program Windows has for ".doc";
// where there is none, Explorer shows the file in its folder and the job's message says so.
OcrOutcome COcrHandoff::OpenText() const {
  const CString shortPath = JobFiles::ShortPath(m_outputFile);
  if (StartProcess(OcrValues::WordPadCommandLine(shortPath.str()), SW_SHOWNORMAL))
    return OcrOutcome::kTextOpened;
  const HINSTANCE started = ShellExecuteA(nullptr, "open", m_outputFile, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) > 32) return OcrOutcome::kTextOpened;
  StartProcess(OcrValues::ShowInFolderCommandLine(m_outputFile), SW_SHOWNORMAL);
  return OcrOutcome::kTextShown;
}

OcrOutcome COcrHandoff::OpenPdf() const {
  // ShellExecute's result is above 32 when the associated program was started.
  const HINSTANCE started = ShellExecuteA(nullptr, "open", m_outputFile, nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(started) > 32 ? OcrOutcome::kPdfOpened : OcrOutcome::kPdfNoViewer;
}

bool COcrHandoff::WriteCompactPdf() const {
  std::vector<PageText> texts(1);
  if (!TesseractTsv::ReadFile(m_wordBoxFile.str(), texts[0])) return false;
  PdfPageStyle style;
  style.compact = true;
  style.quality = m_quality;
  style.texts = &texts;
  return WritePdfFromPages(m_outputFile, {m_imagePath.str()}, m_scanDpi, JobFiles::LocalNow(), style)
             .status == PdfFromPagesResult::kOk;
}

bool COcrHandoff::OutputHasContent() const {
  WIN32_FILE_ATTRIBUTE_DATA attributes = {};
  return GetFileAttributesExA(m_outputFile, GetFileExInfoStandard, &attributes) &&
         !(attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes.nFileSizeLow != 0 || attributes.nFileSizeHigh != 0);
}
