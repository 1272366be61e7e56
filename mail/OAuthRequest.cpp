// The authorize address and the token request bodies.
#include "mail/OAuthRequest.h"

#include "mail/Base64.h"
#include "mail/Sha256.h"

namespace {
std::string Pair(const char* name, const std::string& value) {
  return std::string(name) + "=" + FormEncoded(value);
}

std::string ClientPairs(const OAuthClient& client) {
  std::string pairs = Pair("client_id", client.clientId.str());
  if (!client.clientSecret.IsEmpty()) pairs += "&" + Pair("client_secret", client.clientSecret.str());
  return pairs;
}
}  // namespace

void OAuthClient::Clear() {
  authorizeUrl.Empty();
  tokenUrl.Empty();
  scope.Empty();
  clientId.Empty();
  WipeText(clientSecret);
}

std::string FormEncoded(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string PkceChallenge(const std::string& verifier) {
  const Sha256Digest digest = Sha256(verifier);
  return Base64Url(std::string(digest.begin(), digest.end()));
}

std::string AuthorizeUrl(const OAuthClient& client, const std::string& redirectUri, const std::string& state,
                         const std::string& challenge, const std::string& loginHint) {
  const std::string& base = client.authorizeUrl.str();
  std::string url = base + (base.find('?') == std::string::npos ? "?" : "&");
  url += "response_type=code&" + Pair("client_id", client.clientId.str()) + "&" +
         Pair("redirect_uri", redirectUri);
  if (!client.scope.IsEmpty()) url += "&" + Pair("scope", client.scope.str());
  url += "&" + Pair("state", state) + "&" + Pair("code_challenge", challenge) + "&code_challenge_method=S256";
  if (!loginHint.empty()) url += "&" + Pair("login_hint", loginHint);
  return url;
}

std::string CodeGrantBody(const OAuthClient& client, const std::string& code, const std::string& redirectUri,
                          const std::string& verifier) {
  return "grant_type=authorization_code&" + Pair("code", code) + "&" + Pair("redirect_uri", redirectUri) +
         "&" + ClientPairs(client) + "&" + Pair("code_verifier", verifier);
}

std::string RefreshGrantBody(const OAuthClient& client, const std::string& refreshToken) {
  return "grant_type=refresh_token&" + Pair("refresh_token", refreshToken) + "&" + ClientPairs(client);
}
