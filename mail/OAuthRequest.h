// What the sign-in sends to an authorization server (RFC 6749, RFC 8252 for a native program,
// RFC 7636 for the proof key): the authorize address the browser opens, and the two token
// requests, form-encoded. Platform-free.
#pragma once

#include <string>

#include "framework/String.h"

// The client as the organisation registered it, and its provider's endpoints.
struct OAuthClient {
  CString authorizeUrl;
  CString tokenUrl;
  CString scope;
  CString clientId;
  CString clientSecret;  // empty for a public client

  bool Complete() const { return !authorizeUrl.IsEmpty() && !tokenUrl.IsEmpty() && !clientId.IsEmpty(); }
  void Clear();
};

// Percent-encodes every byte but the unreserved ones of RFC 3986 (letters, digits, "-._~").
std::string FormEncoded(const std::string& text);

// The proof key's challenge: base64url of the verifier's SHA-256 (method S256).
std::string PkceChallenge(const std::string& verifier);

// The address that asks for the user's consent; `redirectUri` is the loopback listener's.
std::string AuthorizeUrl(const OAuthClient& client, const std::string& redirectUri, const std::string& state,
                         const std::string& challenge, const std::string& loginHint);

// The token request bodies: the code exchanged (with the verifier), and a refresh.
std::string CodeGrantBody(const OAuthClient& client, const std::string& code, const std::string& redirectUri,
                          const std::string& verifier);
std::string RefreshGrantBody(const OAuthClient& client, const std::string& refreshToken);
