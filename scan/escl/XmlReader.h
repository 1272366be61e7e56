// A small strict XML reader for the documents a network scanner sends: elements with their
// local names (prefixes dropped) and text, bounded in size, depth and count. No document type
// declarations and no entities beyond the five predefined ones and character references.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct XmlElement {
  std::string name;  // local name: "scan:ColorMode" is "ColorMode"
  std::string text;  // the element's own character data, outer white space trimmed
  std::vector<XmlElement> children;

  // The first child of that local name, or null.
  const XmlElement* Child(const char* childName) const;
  // The first element along a path of child names, or null.
  const XmlElement* Find(std::initializer_list<const char*> path) const;
  // The text of the first child of that name, or empty.
  const std::string& ChildText(const char* childName) const;
};

struct XmlLimits {
  size_t maxBytes = 1 << 20;
  int maxDepth = 32;
  size_t maxElements = 20000;
  size_t maxText = 8192;  // characters of one element's text
};

enum class XmlError {
  kNone,
  kTooLarge,   // the document, or one element's text, beyond its limit
  kTooDeep,    // elements nested beyond the limit
  kTooMany,    // more elements than the limit
  kSyntax,     // not well-formed
  kMismatch,   // an end tag that does not close the open element
  kReference,  // an unknown entity or a bad character reference
  kDoctype,    // a document type declaration (refused: it could declare entities)
};

XmlError ParseXml(const char* data, size_t size, XmlElement* root, const XmlLimits& limits = XmlLimits());
