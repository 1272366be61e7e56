// The sign-in's platform-free pieces: SHA-256 and the proof key, base64url, the authorize
// address and token forms, the JSON of token answers, the loopback request, the SASL strings.
#include <gtest/gtest.h>

#include "mail/Base64.h"
#include "mail/JsonReader.h"
#include "mail/LoopbackRequest.h"
#include "mail/OAuthRequest.h"
#include "mail/SaslBearer.h"
#include "mail/Sha256.h"
#include "mail/TokenAnswer.h"

namespace {
std::string Hex(const Sha256Digest& digest) {
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (uint8_t b : digest) out += std::string(1, hex[b >> 4]) + hex[b & 15];
  return out;
}

std::string Decoded(const CString& base64) {
  std::string bytes;
  EXPECT_TRUE(DecodeBase64(base64.str(), &bytes)) << base64.str();
  return bytes;
}

OAuthClient Client() {
  OAuthClient client;
  client.authorizeUrl = "https://login.example/authorize";
  client.tokenUrl = "https://login.example/token";
  client.scope = "https://mail.example/SMTP.Send offline_access";
  client.clientId = "0a1b-2c";
  return client;
}
}  // namespace

TEST(OAuthPieces, Sha256OfTheStandardsVectorsAndTheBlockEdges) {
  EXPECT_EQ(Hex(Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(Sha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  // The proof key of RFC 7636, appendix B.
  EXPECT_EQ(PkceChallenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
            "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
}

TEST(OAuthPieces, Base64UrlAndStrictDecoding) {
  EXPECT_EQ(Base64Url("\xfb\xff\xbf"), "-_-_");
  EXPECT_EQ(Base64Url("ab"), "YWI");
  std::string bytes;
  EXPECT_TRUE(DecodeBase64("YWI=", &bytes));
  EXPECT_EQ(bytes, "ab");
  EXPECT_TRUE(DecodeBase64("", &bytes));
  EXPECT_EQ(bytes, "");
  for (const char* bad : {"YWI", "Y=I=", "YW==YWJj", "YW\nI=", "YW*=", "=AAA"}) {
    EXPECT_FALSE(DecodeBase64(bad, &bytes)) << bad;
  }
}

TEST(OAuthPieces, AuthorizeAddressAndTokenForms) {
  OAuthClient client = Client();
  EXPECT_EQ(
      AuthorizeUrl(client, "http://127.0.0.1:50123/", "st8", "chal", "ann+scan@office.example"),
      "https://login.example/authorize?response_type=code&client_id=0a1b-2c"
      "&redirect_uri=http%3A%2F%2F127.0.0.1%3A50123%2F"
      "&scope=https%3A%2F%2Fmail.example%2FSMTP.Send%20offline_access"
      "&state=st8&code_challenge=chal&code_challenge_method=S256&login_hint=ann%2Bscan%40office.example");
  client.authorizeUrl = "https://login.example/authorize?tenant=x";
  client.scope.Empty();
  EXPECT_EQ(AuthorizeUrl(client, "r", "s", "c", ""),
            "https://login.example/authorize?tenant=x&response_type=code&client_id=0a1b-2c&redirect_uri=r"
            "&state=s&code_challenge=c&code_challenge_method=S256");
  EXPECT_EQ(CodeGrantBody(client, "c/1", "http://127.0.0.1:9/", "v"),
            "grant_type=authorization_code&code=c%2F1&redirect_uri=http%3A%2F%2F127.0.0.1%3A9%2F"
            "&client_id=0a1b-2c&code_verifier=v");
  client.clientSecret = "s&=";
  EXPECT_EQ(RefreshGrantBody(client, "r t"),
            "grant_type=refresh_token&refresh_token=r%20t&client_id=0a1b-2c"
            "&client_secret=s%26%3D");
}

TEST(OAuthPieces, TokenAnswers) {
  TokenAnswer a = ReadTokenAnswer(200, R"({"token_type":"bearer","access_token":"A.b-c","expires_in":3599,
      "refresh_token":"R1","scope":"x","ext":{"nested":[1,2,{"deep":null}]},"id_token":"e30"})");
  EXPECT_EQ(a.kind, TokenAnswer::kTokens);
  EXPECT_EQ(a.accessToken, "A.b-c");
  EXPECT_EQ(a.refreshToken, "R1");
  EXPECT_EQ(a.expiresInSeconds, 3599);
  // A lifetime as a string is read too; none gives an hour; no refresh token keeps the old one.
  a = ReadTokenAnswer(200, R"({"token_type":"Bearer","access_token":"A","expires_in":"60"})");
  EXPECT_EQ(a.expiresInSeconds, 60);
  a = ReadTokenAnswer(200, R"({"token_type":"Bearer","access_token":"A"})");
  EXPECT_EQ(a.expiresInSeconds, 3600);
  EXPECT_EQ(a.refreshToken, "");
  // Tokens must be visible ASCII: they go into command lines.
  for (const char* bad :
       {R"({"token_type":"Bearer","access_token":"A\r\nQUIT"})",
        R"({"token_type":"Bearer","access_token":"A B"})", R"({"token_type":"Bearer","access_token":""})",
        R"({"token_type":"mac","access_token":"A"})", R"({"access_token":"A"})",
        R"({"token_type":"Bearer","access_token":"A","refresh_token":7})",
        R"({"token_type":"Bearer","access_token":"A","access_token":"B"})", "not json", ""}) {
    EXPECT_EQ(ReadTokenAnswer(200, bad).kind, TokenAnswer::kMalformed) << bad;
  }
  a = ReadTokenAnswer(400,
                      R"({"error":"invalid_grant","error_description":"AADSTS70000: revoked\r\nby admin"})");
  EXPECT_TRUE(a.GrantInvalid());
  EXPECT_EQ(a.description, "AADSTS70000: revoked  by admin");
  EXPECT_EQ(ReadTokenAnswer(401, R"({"error":"invalid_client"})").kind, TokenAnswer::kRefused);
  EXPECT_EQ(ReadTokenAnswer(500, R"({"error":"server_error"})").kind, TokenAnswer::kMalformed);
  EXPECT_EQ(ReadTokenAnswer(200, std::string(JsonObject::kMaxDocument + 1, ' ')).kind,
            TokenAnswer::kMalformed);
}

TEST(OAuthPieces, JsonIsStrict) {
  JsonObject o;
  EXPECT_TRUE(o.Parse(R"( {"s":"\u00e9\ud83d\ude00\n\"","n":-1.5e3,"t":true,"z":null} )"));
  EXPECT_EQ(o.String("s"), "\xc3\xa9\xf0\x9f\x98\x80\n\"");
  int64_t n = 0;
  EXPECT_FALSE(o.Integer("n", &n));
  for (const char* bad :
       {"[]", "{", "{}x", "{'a':1}", R"({"a":01})", R"({"a":1,})", R"({"a":"\ud800"})", R"({"a":"\x"})",
        "{\"a\":\"\x01\"}", "{\"a\":\"\xc0\xaf\"}", R"({"a":tru})", R"({"a":1.})"}) {
    EXPECT_FALSE(o.Parse(bad)) << bad;
  }
  // Nesting: as deep as the cap, not one more.
  std::string deep;
  for (int i = 0; i < JsonObject::kMaxDepth; ++i) deep += "{\"a\":";
  EXPECT_TRUE(o.Parse(deep + "1" + std::string(JsonObject::kMaxDepth, '}')));
  EXPECT_FALSE(o.Parse(deep + "[1]" + std::string(JsonObject::kMaxDepth, '}')));
}

TEST(OAuthPieces, LoopbackRequests) {
  CLoopbackRequest request;
  const std::string head = "GET /?code=M.C5%2F0&state=s%2B1 HTTP/1.1\r\nHost: 127.0.0.1:50123\r\n\r\n";
  // Any pieces: the head counts once it is whole.
  for (size_t i = 0; i + 1 < head.size(); ++i)
    EXPECT_EQ(request.Add(&head[i], 1), CLoopbackRequest::kIncomplete);
  EXPECT_EQ(request.Add(&head.back(), 1), CLoopbackRequest::kAnswer);
  EXPECT_EQ(request.Code(), "M.C5/0");
  EXPECT_EQ(request.State(), "s+1");

  const struct {
    std::string head;
    CLoopbackRequest::Status status;
  } cases[] = {
      {"GET /?error=access_denied&error_description=The+user+said+no&state=s HTTP/1.1\r\n\r\n",
       CLoopbackRequest::kRefused},
      {"GET /favicon.ico HTTP/1.1\r\n\r\n", CLoopbackRequest::kNotRedirect},
      {"GET /other?code=c&state=s HTTP/1.1\r\n\r\n", CLoopbackRequest::kNotRedirect},
      {"POST /?code=c&state=s HTTP/1.1\r\n\r\n", CLoopbackRequest::kBad},
      {"GET /?code=c HTTP/1.1\r\n\r\n", CLoopbackRequest::kBad},
      {"GET /?code=c&state=s&state=t HTTP/1.1\r\n\r\n", CLoopbackRequest::kBad},
      {"GET /?code=%zz&state=s HTTP/1.1\r\n\r\n", CLoopbackRequest::kBad},
      {"GET /?code=c&state=s%2 HTTP/1.1\r\n\r\n", CLoopbackRequest::kBad},
      {"hello\r\n\r\n", CLoopbackRequest::kBad},
      {"GET /?code=c&state=s HTTP/1.1\r\nX: " + std::string(CLoopbackRequest::kMaxHead, 'x'),
       CLoopbackRequest::kBad},
  };
  for (const auto& c : cases) {
    CLoopbackRequest r;
    EXPECT_EQ(r.Add(c.head.data(), c.head.size()), c.status) << c.head.substr(0, 60);
    if (c.status == CLoopbackRequest::kRefused) {
      EXPECT_EQ(r.Description(), "The user said no");
    }
  }
  const std::string page = LoopbackResponse(200, "Signed <in>", "Close & go");
  EXPECT_EQ(page.compare(0, 17, "HTTP/1.1 200 OK\r\n"), 0);
  EXPECT_NE(page.find("<h1>Signed &lt;in&gt;</h1>"), std::string::npos);
  EXPECT_NE(page.find("<p>Close &amp; go</p>"), std::string::npos);
  const std::string body = page.substr(page.find("\r\n\r\n") + 4);
  EXPECT_NE(page.find("Content-Length: " + std::to_string(body.size()) + "\r\n"), std::string::npos);
  EXPECT_EQ(LoopbackResponse(404, "", ""),
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/html; charset=utf-8\r\n"
            "Content-Length: 0\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n");
}

TEST(OAuthPieces, BearerLoginsAndTheFailureChallenge) {
  EXPECT_EQ(Decoded(XOAuth2Response("ann@x.example", "tok")),
            "user=ann@x.example\x01"
            "auth=Bearer tok\x01\x01");
  EXPECT_EQ(Decoded(OAuthBearerResponse("a,b=c@x", "smtp.x", 587, "tok")),
            "n,a=a=2Cb=3Dc@x,\x01"
            "host=smtp.x\x01"
            "port=587\x01"
            "auth=Bearer tok\x01\x01");
  const BearerChallenge expired =
      ReadBearerChallenge(Base64Text(R"({"status":"invalid_token","scope":"x"})").str());
  EXPECT_TRUE(expired.read && expired.TokenExpired());
  EXPECT_TRUE(ReadBearerChallenge(Base64Text(R"({"status":"401","schemes":"bearer"})").str()).TokenExpired());
  EXPECT_FALSE(ReadBearerChallenge(Base64Text(R"({"status":"insufficient_scope"})").str()).TokenExpired());
  EXPECT_FALSE(ReadBearerChallenge("not base64!").read);
}
