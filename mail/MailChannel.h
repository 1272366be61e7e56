// What the SMTP conversation and the message writer need from their surroundings: a
// line-oriented channel to the server, and the library's strings, messages, progress window,
// cancel flag and files. The Windows side implements them with the socket and the dialogs;
// the native tests with scripted fakes. Platform-free.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/String.h"

// Progress codes of UpdateProgress (value first, code second).
enum ProgressCode {
  kProgressRange = 1,
  kProgressPosition = 2,
  kProgressFinish = 3,
  kProgressDataStart = 4,
  kProgressFile = 5,
};

class IMailChannel {
 public:
  virtual ~IMailChannel() = default;
  // Queues `text` for the server; false for an empty text (nothing is sent).
  virtual bool SendText(const CString& text) = 0;
  // The next line from the server with its line end; ".\r\n" after a time-out.
  virtual CString ReadReply() = 0;
  // Whether the last ReadReply ran out of time.
  virtual bool TimedOut() const = 0;
};

// An attachment opened for reading.
class IAttachmentFile {
 public:
  virtual ~IAttachmentFile() = default;
  // Reads up to `size` bytes; false on a read error. `got` is 0 at the end.
  virtual bool Read(void* buffer, uint32_t size, uint32_t* got) = 0;
  // The file's size; false when it cannot be read.
  virtual bool Size(uint64_t* size) = 0;
};

class IMailEnvironment {
 public:
  virtual ~IMailEnvironment() = default;
  // String `id` of the active resource source (the language library when one is loaded).
  virtual CString Text(unsigned id) = 0;
  // The library's message box: string `id`, caption "E-mail", OK, no owner.
  virtual void ShowMessage(unsigned id) = 0;
  virtual void UpdateProgress(unsigned value, int code) = 0;
  // The progress window's Cancel has been pressed.
  virtual bool SendCancelled() const = 0;
  // Opens `path` read-only, binary; null when it cannot be opened.
  virtual std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) = 0;
};
