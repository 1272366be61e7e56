// The OCR hand-off's fixed values.
#include "app/output/OcrValues.h"

#include <cstring>

namespace OcrValues {
namespace {
const char kWordFormat[] = "Word 6.0 (*.rtf)";

RegistryValue Number(const char* name, uint32_t value) { return {name, RegistryValue::kNumber, value, {}}; }

// `text` in a zero-filled field of `field` bytes; at most field - 1 characters are kept.
RegistryValue Field(const char* name, const std::string& text, size_t field) {
  std::string bytes = text.substr(0, field - 1);
  bytes.resize(field, '\0');
  return {name, RegistryValue::kText, 0, bytes};
}

// An empty string without data.
RegistryValue Empty(const char* name) { return {name, RegistryValue::kText, 0, {}}; }

// A value that is not there reads as empty too; the word boxes' name is removed rather than
// emptied (Wine's registry tool cannot list a key holding two strings without data).
RegistryValue Deleted(const char* name) { return {name, RegistryValue::kDelete, 0, {}}; }

std::string Quoted(const std::string& path) {
  return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}
}  // namespace

std::vector<RegistryValue> StartValues(Mode mode, const std::string& outputFile, Output output,
                                       uint32_t applicationWindow) {
  std::vector<RegistryValue> values;
  if (mode == kEdition20) {
    values.push_back(Number("UseScanner", 0));
    values.push_back(Number("SkipStartDialog", 1));
    values.push_back(output != kRichText ? Empty("AutoFileName")
                                         : Field("AutoFileName", outputFile, kTextFileField));
  }
  values.push_back(Field("DefaultWpformat", kWordFormat, kFormatField));
  values.push_back(Number("Paste", 1));
  values.push_back(Number("Faceless", 1));
  values.push_back(Number("ApplicationWnd", applicationWindow));
  // Emptied for the other jobs too: a value left by a job that never ended must not turn a
  // text job into a PDF, nor a PDF job into word boxes.
  values.push_back(output == kSearchablePdf ? Field("PdfFileName", outputFile, kTextFileField)
                                            : Empty("PdfFileName"));
  values.push_back(output == kWordBoxes ? Field("TsvFileName", outputFile, kTextFileField)
                                        : Deleted("TsvFileName"));
  return values;
}

std::vector<RegistryValue> EndValues(Mode mode) {
  std::vector<RegistryValue> values;
  if (mode == kEdition20) {
    values.push_back({"SkipStartDialog", RegistryValue::kDelete, 0, {}});
    values.push_back(Empty("AutoFileName"));
  }
  values.push_back(Number("Paste", 0));
  values.push_back(Number("Faceless", 0));
  values.push_back(Number("ApplicationWnd", 0));
  values.push_back(Empty("PdfFileName"));
  values.push_back(Deleted("TsvFileName"));
  return values;
}

std::string EngineCommandLine(const std::string& program, const std::string& image) {
  return Quoted(program) + " " + Quoted(image);
}

std::string WordPadCommandLine(const std::string& shortTextFile) {
  return "write.exe " + Quoted(shortTextFile);
}

std::string ShowInFolderCommandLine(const std::string& file) {
  return "explorer.exe /select," + Quoted(file);
}

size_t RichTextLength(const char* block, size_t size) {
  if (!block) return 0;
  const void* zero = std::memchr(block, 0, size);
  return zero ? static_cast<size_t>(static_cast<const char*>(zero) - block) : size;
}

std::string FileNameList(const std::string& path) {
  std::string block = path.substr(0, path.find('\0'));
  block.append(2, '\0');
  return block;
}
}  // namespace OcrValues
