// The two logins with an OAuth access token: XOAUTH2 (the providers' own) and OAUTHBEARER
// (RFC 7628, with its GS2 header), and the failure challenge a server answers a refused token
// with (a JSON status). Platform-free.
#pragma once

#include <string>

#include "framework/String.h"

// The initial responses, base64 on one line: XOAUTH2's "user=...^Aauth=Bearer ...^A^A", and
// OAUTHBEARER's "n,a=USER,^Ahost=...^Aport=...^Aauth=Bearer ...^A^A".
CString XOAuth2Response(const CString& user, const CString& token);
CString OAuthBearerResponse(const CString& user, const CString& host, int port, const CString& token);

// What a 334 failure challenge said.
struct BearerChallenge {
  bool read = false;  // the text was base64 of a JSON object
  std::string status;
  // The token has expired (or was revoked): worth one fresh token ("invalid_token" of RFC 6750,
  // or the HTTP status 401 that one provider sends).
  bool TokenExpired() const { return status == "invalid_token" || status == "401"; }
};
BearerChallenge ReadBearerChallenge(const std::string& base64);

// What the client answers a failure challenge with, before the server's final refusal:
// OAUTHBEARER a single ^A (RFC 7628), XOAUTH2 an empty line.
inline const char* BearerChallengeAnswer(bool oauthBearer) { return oauthBearer ? "AQ==\r\n" : "\r\n"; }
