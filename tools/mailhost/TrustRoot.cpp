// trustroot: `trustroot add FILE` puts the certificate in FILE (DER or PEM) into the current
// user's root store; `trustroot remove FILE` takes it out again. Exit code 0 on success.
// Test-only: the TLS tests trust their own certificate authority in their Wine prefix.
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
std::vector<BYTE> ReadCertificate(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  DWORD size = 0;
  if (CryptStringToBinaryA(data.c_str(), static_cast<DWORD>(data.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                           &size, nullptr, nullptr)) {
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(data.c_str(), static_cast<DWORD>(data.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                         &size, nullptr, nullptr);
    return der;
  }
  return std::vector<BYTE>(data.begin(), data.end());
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: trustroot add|remove FILE\n");
    return 2;
  }
  const std::vector<BYTE> der = ReadCertificate(argv[2]);
  HCERTSTORE store = CertOpenSystemStoreA(0, "ROOT");
  if (!store || der.empty()) {
    std::fprintf(stderr, "trustroot: no store or no certificate (%lu)\n", GetLastError());
    return 1;
  }
  bool ok = false;
  if (std::string(argv[1]) == "add") {
    ok =
        CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                         CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  } else {
    PCCERT_CONTEXT wanted =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    PCCERT_CONTEXT found =
        wanted ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr)
               : nullptr;
    ok = found && CertDeleteCertificateFromStore(found);
    if (wanted) CertFreeCertificateContext(wanted);
  }
  if (!ok) std::fprintf(stderr, "trustroot: %s failed (%lu)\n", argv[1], GetLastError());
  CertCloseStore(store, 0);
  return ok ? 0 : 1;
}
