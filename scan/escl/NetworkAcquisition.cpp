// The network scanner's acquisition: set-up inside DcAppAcqProc, pages inside the next
// DcAppProcessMsgProc (a feeder batch within that one call, as TWAIN delivers it), clean-up.
#include "scan/escl/NetworkAcquisition.h"

#include <algorithm>

#include "resources/capturo/resource.h"
#include "scan/PageFolder.h"
#include "scan/Twain.h"
#include "scan/escl/NetworkPage.h"
#include "scan/escl/PageRows.h"
#include "scan/escl/ScannerProbe.h"
#include "scan/escl/XmlReader.h"

namespace {
const size_t kMaxDocument = 1 << 20;  // capabilities, status: a few kilobytes in practice
const DWORD kStatusMs = 5000;
const DWORD kCancelMs = 3000;
const uint64_t kProgressStep = 64 * 1024;

// Posted by DcAppAcqProc: the next DcAppProcessMsgProc fetches the pages.
UINT PagesMessage() {
  static const UINT message = RegisterWindowMessageA("Capturo network pages");
  return message;
}

// A clean-up that runs inside the program's own handlers: it waits without running them.
class CQuietWaiter : public IHttpWaiter {
 public:
  bool StopRequested() override { return false; }
  bool MayPump() override { return false; }
};

bool ParseDocument(const HttpReply& reply, XmlElement* root) {
  return reply.status == 200 && ParseXml(reply.body.data(), reply.body.size(), root) == XmlError::kNone;
}

UINT MessageOf(ScannerReason reason) {
  switch (reason) {
    case ScannerReason::kBusy:
      return IDS_NET_BUSY;
    case ScannerReason::kFeederEmpty:
      return IDS_NET_FEEDER_EMPTY;
    case ScannerReason::kJammed:
      return IDS_NET_JAMMED;
    case ScannerReason::kCoverOpen:
      return IDS_NET_COVER_OPEN;
    case ScannerReason::kDown:
      return IDS_NET_DOWN;
    default:
      return 0;
  }
}

UINT MessageOf(HttpOutcome outcome, UINT otherwise) {
  switch (outcome) {
    case HttpOutcome::kCertificateChanged:
      return IDS_NET_CERTIFICATE;
    case HttpOutcome::kTooLarge:
      return IDS_NET_TOO_LARGE;
    case HttpOutcome::kStopped:
      return 0;  // the user's own Stop needs no word
    default:
      return otherwise;
  }
}
}  // namespace

void CNetworkAcquisition::Init(HWND window) {
  if (!m_busy) m_window = window;
}

CString CNetworkAcquisition::Message(UINT id, int number) const {
  CString text = m_voice.text(id);
  if (text.Find("%s") >= 0) return CString::Format(text.c_str(), m_http.Url().Text().c_str());
  if (text.Find("%d") >= 0) return CString::Format(text.c_str(), number);
  return text;
}

bool CNetworkAcquisition::StopRequested() { return m_cancel || m_closed; }

void CNetworkAcquisition::BodyProgress(uint64_t total) {
  const WPARAM strip = static_cast<WPARAM>(std::min<uint64_t>(total / kProgressStep + 1, m_strips));
  if (!m_receiver) return;
  if (!m_announced) {
    m_announced = true;
    SendMessageA(m_receiver, WM_ACQ_PROGRESS, 0, m_strips);
  }
  if (strip <= m_strip) return;
  m_strip = strip;
  SendMessageA(m_receiver, WM_ACQ_PROGRESS, strip, 0);
}

// --- Set-up, inside DcAppAcqProc -----------------------------------------------------------

int CNetworkAcquisition::Acquire(AcquireRequest* request, const NetworkChoice& choice) {
  if (m_busy) {
    m_voice.tell(m_voice.text(IDS_ALREADY_OPEN));
    return 0;
  }
  if (!request) return 0;
  m_cancel = m_closed = m_started = false;
  m_jobOpen = false;
  m_pages = 0;
  m_result.filePath[0] = '\0';
  m_result.mechanism = TWSX_MEMORY;  // the page file is the bitmap a memory transfer writes
  m_result.fileFormat = 0;
  m_result.nativeHandle = 0;
  m_result.destinationId = request->destinationId;
  // Busy from here: a handler that runs while the set-up waits cannot start another.
  m_busy = true;
  if (!Describe(choice) || !StartJob(*request)) {
    m_busy = false;
    m_http.Close();
    return 0;
  }
  m_started = true;
  if (m_window)
    PostMessageA(m_window, PagesMessage(), 0, 0);
  else
    PostThreadMessageA(GetCurrentThreadId(), PagesMessage(), 0, 0);
  return 1;
}

bool CNetworkAcquisition::Describe(const NetworkChoice& choice) {
  ScannerUrl url;
  if (!ParseScannerAddress(choice.url, &url) || !m_http.Open(url, choice.certificate)) {
    m_voice.tell(Message(IDS_NET_UNREACHABLE));
    return false;
  }
  const ProbeResult probe = ProbeScanner(m_http, this, kAnswerMs, &m_caps);
  if (probe == ProbeResult::kOk) {
    // First use of an https scanner chosen without its certificate: this one is pinned.
    if (url.https && choice.certificate.empty() && !m_http.SeenCertificate().empty())
      NetworkChoiceFile::Pin(NetworkChoiceFile::Settings(), m_http.SeenCertificate());
    return true;
  }
  if (const UINT id = ProbeMessage(probe)) m_voice.tell(Message(id));
  return false;
}

bool CNetworkAcquisition::StartJob(AcquireRequest& request) {
  const std::string& root = m_http.Url().root;
  HttpReply reply;
  ScannerStatus status;
  XmlElement document;
  const bool known = m_http.Send(L"GET", root + "/ScannerStatus", "", kMaxDocument, kStatusMs, this,
                                 &reply) == HttpOutcome::kOk &&
                     ParseDocument(reply, &document) && ParseScannerStatus(document, "", &status);
  if (m_cancel) return false;
  switch (PlanScan(request, m_caps, known && status.FeederLoaded(), &m_plan)) {
    case PlanError::kNone:
      break;
    case PlanError::kNoFormat:
      m_voice.tell(Message(IDS_NET_NO_FORMAT));
      return false;
    default:
      m_voice.tell(Message(IDS_NET_NOT_UNDERSTOOD));
      return false;
  }
  const HttpOutcome outcome = m_http.Send(L"POST", root + "/ScanJobs", ScanSettingsXml(m_plan), kMaxDocument,
                                          kAnswerMs, this, &reply);
  if (outcome != HttpOutcome::kOk) {
    if (const UINT id = MessageOf(outcome, IDS_NET_UNREACHABLE)) m_voice.tell(Message(id));
    return false;
  }
  if (reply.status == 201 || reply.status == 200) {
    m_jobPath = JobPath(m_http.Url(), reply.location);
    if (!m_jobPath.empty()) {
      m_jobOpen = true;
      return true;
    }
    m_voice.tell(Message(IDS_NET_NOT_UNDERSTOOD));
    return false;
  }
  const UINT fallback = reply.status == 503 ? IDS_NET_BUSY : IDS_NET_REFUSED;
  m_voice.tell(Message(ReasonMessage(fallback), static_cast<int>(reply.status)));
  return false;
}

// --- Pages, inside DcAppProcessMsgProc -----------------------------------------------------

int CNetworkAcquisition::ProcessMessage(MSG* msg, HWND window) {
  if (!msg || msg->message != PagesMessage()) return 0;
  // Posted by us: never the program's. One that comes late (or inside a delivery) is dropped.
  if (!m_started || m_delivering || !m_busy) return 1;
  m_started = false;
  m_receiver = window;
  DeliverPages(window);
  return 1;
}

void CNetworkAcquisition::DeliverPages(HWND window) {
  m_delivering = true;
  for (;;) {
    if (m_closed) break;  // DcAppTerminateDS came in a handler: it has cleaned up
    if (m_cancel) {
      CancelJob();
      SendMessageA(window, WM_ACQ_RESULT, 0, 0);
      Close();
      break;
    }
    std::string page;
    const Next next = FetchPage(page);
    if (next == Next::kStopped) continue;
    if (next == Next::kEnded) break;
    if (next == Next::kBatchOver) {
      m_jobOpen = false;
      if (m_pages == 0) Fail(ReasonMessage(IDS_NET_ENDED));
      break;
    }
    if (!FilePage(page)) break;
    ++m_pages;
    // The batch goes on while the scanner has pages: a feeder's next one may follow.
    m_result.morePending = m_plan.feeder ? 1 : 0;
    SendMessageA(window, WM_ACQ_RESULT, 0, reinterpret_cast<LPARAM>(&m_result));
  }
  m_delivering = false;
  if (m_closed) m_closed = false;
}

CNetworkAcquisition::Next CNetworkAcquisition::FetchPage(std::string& page) {
  const uint64_t most = MaxPageBytes(m_plan.width, m_plan.height, m_plan.resolution);
  // The range is a guess (a compressed page is about a tenth of its pixels); progress stops
  // at its end.
  m_strips = static_cast<LPARAM>(std::min<uint64_t>(most / 10 / kProgressStep + 1, 10000));
  m_strip = 0;
  // A later page of the glass is not expected (the scanner's answer ends the job): its notice
  // waits for its first bytes. A feeder's next page is announced at once.
  m_announced = m_plan.feeder || m_pages == 0;
  if (m_announced) SendMessageA(m_receiver, WM_ACQ_PROGRESS, 0, m_strips);
  DWORD waited = 0;
  for (;;) {
    HttpReply reply;
    const HttpOutcome outcome =
        m_http.Send(L"GET", m_jobPath + "/NextDocument", "",
                    static_cast<size_t>(std::min<uint64_t>(most, 0x7FFFFFFF)), kPageMs, this, &reply);
    if (outcome == HttpOutcome::kStopped) return Next::kStopped;
    if (outcome != HttpOutcome::kOk) {
      Fail(MessageOf(outcome, IDS_NET_GONE));
      return Next::kEnded;
    }
    switch (reply.status) {
      case 200:
        page.swap(reply.body);
        return Next::kPage;
      case 503: {
        // Still scanning: ask again after the pause it names (within bounds).
        const DWORD pause =
            1000 * static_cast<DWORD>(reply.retryAfter >= 1 && reply.retryAfter <= 5 ? reply.retryAfter : 1);
        waited += pause;
        if (waited > kPageMs) {
          Fail(ReasonMessage(IDS_NET_GONE));
          return Next::kEnded;
        }
        if (!PumpedPause(pause, this)) return Next::kStopped;
        continue;
      }
      case 404:
        return Next::kBatchOver;
      default:
        // 409 and 410: the scanner ended the job (a jam, say); anything else too.
        m_jobOpen = reply.status != 409 && reply.status != 410;
        Fail(ReasonMessage(IDS_NET_ENDED));
        return Next::kEnded;
    }
  }
}

bool CNetworkAcquisition::FilePage(const std::string& page) {
  const CString path = PageFolder::Path() + "TWN00000.BMP";
  const InputCaps& area = m_plan.feeder ? m_caps.feeder : m_caps.platen;
  switch (WriteNetworkPage(page, m_plan, area, path)) {
    case PageWrite::kOk:
      path.CopyTo(m_result.filePath, sizeof(m_result.filePath));
      return true;
    case PageWrite::kNotImage:
      Fail(IDS_NET_NOT_IMAGE);
      return false;
    case PageWrite::kTooLarge:
      Fail(IDS_NET_TOO_LARGE);
      return false;
    case PageWrite::kDiskFull:
      Fail(IDS_DISK_FULL);
      return false;
    default:
      Fail(IDS_NET_PAGE_NOT_SAVED);
      return false;
  }
}

// The scanner's own word on why it refuses, else `fallback`.
UINT CNetworkAcquisition::ReasonMessage(UINT fallback) {
  HttpReply reply;
  XmlElement document;
  ScannerStatus status;
  if (m_http.Send(L"GET", m_http.Url().root + "/ScannerStatus", "", kMaxDocument, kStatusMs, this, &reply) !=
          HttpOutcome::kOk ||
      !ParseDocument(reply, &document) || !ParseScannerStatus(document, m_jobPath, &status))
    return fallback;
  const UINT id = MessageOf(ReasonOf(status, m_plan.feeder));
  return id ? id : fallback;
}

// A fault ends the acquisition: the job goes, the user learns why (and that the pages before
// were delivered), the program hears that no page follows, and the scanner is let go.
void CNetworkAcquisition::Fail(UINT messageId, int number) {
  CancelJob();
  if (messageId) {
    CString text = Message(messageId, number);
    if (m_pages > 0) text += "\n\n" + m_voice.text(IDS_NET_PAGES_KEPT);
    m_voice.tell(text);
  }
  SendMessageA(m_receiver, WM_ACQ_RESULT, 0, 0);
  Close();
}

void CNetworkAcquisition::CancelJob() {
  if (!m_jobOpen) return;
  m_jobOpen = false;
  CQuietWaiter quiet;
  HttpReply reply;
  m_http.Send(L"DELETE", m_jobPath, "", kMaxDocument, kCancelMs, &quiet, &reply);
}

void CNetworkAcquisition::Close() {
  m_busy = false;
  m_started = false;
  if (m_window) SendMessageA(m_window, WM_ACQ_CLOSED, 0, 0);
}

void CNetworkAcquisition::Terminate() {
  if (!m_busy) return;
  CancelJob();
  Close();
  // Inside a delivery the page loop ends at its next step and leaves the connection to the
  // next acquisition; otherwise it goes now.
  if (m_delivering)
    m_closed = true;
  else
    m_http.Close();
}

uint16_t CNetworkAcquisition::EndXfer() {
  m_cancel = true;
  return m_busy ? TWRC_SUCCESS : TWRC_FAILURE;
}
