// The OCR hand-off's fixed values: what is written under the OCR engine's registry key when a
// job starts and ends, edition by edition; the engine's and WordPad's command lines; and the
// clipboard blocks exchanged with the engine. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace OcrValues {
// The view's OCR mode: which edition of the engine the job runs.
enum Mode { kNoOcr = 0, kEdition96 = 1, kEdition20 = 2 };

// What the engine is asked to make of the page: rich text, its own searchable PDF, or the
// boxes of the words it read (Tesseract's TSV), which the program lays over a page of its own.
enum Output { kRichText = 0, kSearchablePdf = 1, kWordBoxes = 2 };

// Path field of the text file (or the PDF, or the word boxes), terminator included.
const size_t kTextFileField = 257;
const size_t kFormatField = 256;
const unsigned kTimerId = 2;
const unsigned kTimerMs = 500;
// The framework's standard Paste command, which the engine sends to ApplicationWnd.
const unsigned kPasteCommand = 0xE125;
const char kRichTextFormat[] = "Rich Text Format";
const char kFileNameListFormat[] = "File Name List";

struct RegistryValue {
  enum Kind { kNumber, kText, kDelete };
  std::string name;
  Kind kind;
  uint32_t number;
  // The bytes stored for a text: the whole field, zero-filled after the text; empty for a
  // value without data.
  std::string bytes;
};

// Values written at the start of a job: the 2.0 edition is also told not to scan, to skip its
// start dialog and where to save the text; both are told to work without a window and to
// paste into `applicationWindow`. A job whose output is a searchable PDF names it in
// "PdfFileName", one whose output is the word boxes names their file in "TsvFileName" (either
// edition; the 2.0 edition then gets no text file name); otherwise the PDF's is emptied and
// the word boxes' removed. An output path longer than its field is cut to fit.
std::vector<RegistryValue> StartValues(Mode mode, const std::string& outputFile, Output output,
                                       uint32_t applicationWindow);
// Values written when the job's view goes: pasting, facelessness and the window are reset;
// the 2.0 edition's start dialog comes back, its file name and the PDF's are emptied, the
// word boxes' removed.
// "UseScanner" and the format stay.
std::vector<RegistryValue> EndValues(Mode mode);

// "<program> <image>"; a path with a space is quoted, so that no other program is started
// from a prefix of it.
std::string EngineCommandLine(const std::string& program, const std::string& image);
// "write.exe <short path of the text file>".
std::string WordPadCommandLine(const std::string& shortTextFile);
// "explorer.exe /select,<file>": the file's folder with the file selected.
std::string ShowInFolderCommandLine(const std::string& file);

// Length of the rich text in a clipboard block of `size` bytes: up to its first zero byte.
size_t RichTextLength(const char* block, size_t size);
// The "File Name List" block for `path`: the path and two zero bytes.
std::string FileNameList(const std::string& path);
}  // namespace OcrValues
