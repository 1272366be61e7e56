// The texts of a message that carry more than ASCII, and the names MIME gives things: the
// content type of an attachment by its extension, RFC 2047 encoded words for header texts,
// RFC 2231 parameters for file names, quoted-printable and base64 bodies, and the boundary
// that cannot occur in the text. Platform-free.
#pragma once

#include <cstdint>
#include <string>

bool IsAscii(const std::string& text);

// "image/jpeg", "application/pdf", "image/tiff", else "application/octet-stream".
const char* ContentTypeOf(const std::string& fileName);

// `utf8` as RFC 2047 encoded words ("=?utf-8?B?...?="), each of whole characters, folded
// (CR LF and a blank between them) so that no line exceeds 76 characters; the first line has
// `used` characters before it (its header name).
std::string EncodedWords(const std::string& utf8, size_t used);

// A header text as it goes after its name: as it stands when it is ASCII, else encoded words.
std::string HeaderText(const std::string& ascii, const std::string& utf8, size_t used);

// The parameter `name` of a file name, after "; ": name="FILE" (quoted, with \ and " escaped)
// for an ASCII name, else name*=utf-8''%XX... (RFC 2231); a long one in numbered pieces
// (name*0*=...), each on a folded line of its own.
std::string FileNameParameter(const char* name, const std::string& ascii, const std::string& utf8);

// The body as quoted-printable (RFC 2045; CR LF kept as the line breaks, a period that starts
// a line written =2E) and as base64 lines of 76 characters; both end with CR LF.
std::string QuotedPrintable(const std::string& text);
std::string Base64Lines(const std::string& bytes);

// A boundary: `stem` and 24 characters made from `random` (18 bytes), quoted where it is used.
std::string BoundaryFrom(const std::string& stem, const uint8_t random[18]);

// A size as a user reads it: "850 KB", "23.4 MB" (1024-based, as the system shows files).
std::string SizeText(uint64_t bytes);
