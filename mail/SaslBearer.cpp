// The bearer-token logins.
#include "mail/SaslBearer.h"

#include "mail/Base64.h"
#include "mail/JsonReader.h"

namespace {
// A user name in a GS2 header: "," and "=" written as "=2C" and "=3D" (RFC 5801).
std::string SaslName(const std::string& user) {
  std::string name;
  for (char c : user) name += c == ',' ? "=2C" : c == '=' ? "=3D" : std::string(1, c);
  return name;
}

CString Encoded(std::string& message) {
  CString response = Base64Text(message);
  WipeBytes(message);
  return response;
}
}  // namespace

CString XOAuth2Response(const CString& user, const CString& token) {
  std::string message = "user=" + user.str() +
                        "\x01"
                        "auth=Bearer " +
                        token.str() + "\x01\x01";
  return Encoded(message);
}

CString OAuthBearerResponse(const CString& user, const CString& host, int port, const CString& token) {
  std::string message = "n,a=" + SaslName(user.str()) +
                        ",\x01"
                        "host=" +
                        host.str() +
                        "\x01"
                        "port=" +
                        std::to_string(port) +
                        "\x01"
                        "auth=Bearer " +
                        token.str() + "\x01\x01";
  return Encoded(message);
}

BearerChallenge ReadBearerChallenge(const std::string& base64) {
  BearerChallenge challenge;
  std::string json;
  JsonObject object;
  if (!DecodeBase64(base64, &json) || !object.Parse(json)) return challenge;
  challenge.read = true;
  challenge.status = object.String("status");
  return challenge;
}
