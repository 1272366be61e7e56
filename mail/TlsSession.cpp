// CTlsSession.
#include "mail/TlsSession.h"

#include <cstring>

namespace {
const ULONG kContextRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                              ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM;

// Appends and frees an output token of the package.
void TakeToken(SecBuffer& token, std::string& out) {
  if (token.pvBuffer && token.cbBuffer > 0)
    out.append(static_cast<const char*>(token.pvBuffer), token.cbBuffer);
  if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
  token.pvBuffer = nullptr;
}
}  // namespace

CTlsSession::~CTlsSession() {
  if (m_haveContext) DeleteSecurityContext(&m_context);
  if (m_haveCredentials) FreeCredentialsHandle(&m_credentials);
}

CTlsSession::Step CTlsSession::Start(const CString& host, std::string& out) {
  m_host = host;
  SCHANNEL_CRED credentials = {};
  credentials.dwVersion = SCHANNEL_CRED_VERSION;
  // TLS 1.2 is what every mail server speaks and what the platform's Schannel offers through
  // this structure; the certificate is checked by us, against the root store and the host.
  credentials.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS | SCH_USE_STRONG_CRYPTO;
  TimeStamp expiry;
  m_status = AcquireCredentialsHandleA(nullptr, const_cast<char*>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND,
                                       nullptr, &credentials, nullptr, nullptr, &m_credentials, &expiry);
  if (m_status != SEC_E_OK) return kFailed;
  m_haveCredentials = true;
  return Handshake(nullptr, out);
}

CTlsSession::Step CTlsSession::Continue(std::string& in, std::string& out) { return Handshake(&in, out); }

CTlsSession::Step CTlsSession::Handshake(std::string* in, std::string& out) {
  for (;;) {
    SecBuffer inBuffers[2] = {};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, inBuffers};
    if (in) {
      if (in->empty()) return kContinue;
      inBuffers[0] = {static_cast<ULONG>(in->size()), SECBUFFER_TOKEN, &(*in)[0]};
      inBuffers[1] = {0, SECBUFFER_EMPTY, nullptr};
    }
    SecBuffer outBuffers[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, outBuffers};
    ULONG attributes = 0;
    TimeStamp expiry;
    m_status = InitializeSecurityContextA(&m_credentials, m_haveContext ? &m_context : nullptr,
                                          const_cast<char*>(m_host.c_str()), kContextRequest, 0, 0,
                                          in ? &inDesc : nullptr, 0, m_haveContext ? nullptr : &m_context,
                                          &outDesc, &attributes, &expiry);
    if (!m_haveContext &&
        (m_status == SEC_E_OK || m_status == SEC_I_CONTINUE_NEEDED ||
         m_status == SEC_I_INCOMPLETE_CREDENTIALS || m_status == SEC_E_INCOMPLETE_MESSAGE)) {
      m_haveContext = true;
    }
    // A failure may still come with an alert for the server.
    TakeToken(outBuffers[0], out);
    if (m_status == SEC_E_INCOMPLETE_MESSAGE) return kContinue;
    if (in) {
      const size_t extra = inBuffers[1].BufferType == SECBUFFER_EXTRA ? inBuffers[1].cbBuffer : 0;
      in->erase(0, in->size() - extra);
    }
    if (m_status == SEC_E_OK) {
      if (QueryContextAttributesA(&m_context, SECPKG_ATTR_STREAM_SIZES, &m_sizes) != SEC_E_OK) {
        m_status = SEC_E_INTERNAL_ERROR;
        return kFailed;
      }
      m_done = true;
      return kDone;
    }
    if (m_status == SEC_I_CONTINUE_NEEDED) {
      // The token goes out; whatever of the server's flight is already here is used next.
      if (!in || in->empty()) return kContinue;
      continue;
    }
    if (m_status == SEC_I_INCOMPLETE_CREDENTIALS) {
      // The server asks for a client certificate: we have none and go on without.
      continue;
    }
    return kFailed;
  }
}

CCertificate CTlsSession::ServerCertificate() const {
  PCCERT_CONTEXT certificate = nullptr;
  if (!m_done || QueryContextAttributesA(const_cast<CtxtHandle*>(&m_context), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                         &certificate) != SEC_E_OK) {
    return CCertificate();
  }
  return CCertificate(certificate);
}

bool CTlsSession::Seal(const char* data, size_t size, std::string& out) {
  if (!m_done || size > m_sizes.cbMaximumMessage) return false;
  const size_t at = out.size();
  out.resize(at + m_sizes.cbHeader + size + m_sizes.cbTrailer);
  char* record = &out[at];
  std::memcpy(record + m_sizes.cbHeader, data, size);
  SecBuffer buffers[4] = {
      {m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, record},
      {static_cast<ULONG>(size), SECBUFFER_DATA, record + m_sizes.cbHeader},
      {m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record + m_sizes.cbHeader + size},
      {0, SECBUFFER_EMPTY, nullptr},
  };
  SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
  m_status = EncryptMessage(&m_context, 0, &desc, 0);
  if (m_status != SEC_E_OK) {
    out.resize(at);
    return false;
  }
  // The trailer may be shorter than its room.
  out.resize(at + buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
  return true;
}

CTlsSession::Opened CTlsSession::Open(std::string& in, std::string& plain) {
  while (!in.empty()) {
    SecBuffer buffers[4] = {
        {static_cast<ULONG>(in.size()), SECBUFFER_DATA, &in[0]},
        {0, SECBUFFER_EMPTY, nullptr},
        {0, SECBUFFER_EMPTY, nullptr},
        {0, SECBUFFER_EMPTY, nullptr},
    };
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    m_status = DecryptMessage(&m_context, &desc, 0, nullptr);
    if (m_status == SEC_E_INCOMPLETE_MESSAGE) return kNeedMore;
    // A renegotiation (or any other status) is not part of a mail session over TLS 1.2.
    if (m_status != SEC_E_OK && m_status != SEC_I_CONTEXT_EXPIRED) return kBroken;
    size_t extra = 0;
    for (const SecBuffer& buffer : buffers) {
      if (buffer.BufferType == SECBUFFER_DATA && buffer.pvBuffer)
        plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
      if (buffer.BufferType == SECBUFFER_EXTRA) extra = buffer.cbBuffer;
    }
    in.erase(0, in.size() - extra);
    if (m_status == SEC_I_CONTEXT_EXPIRED) return kPeerClosed;
  }
  return kPlain;
}
