#pragma once
// One pass over an XML text in memory that builds no document: the reader is told, in
// document order, of each element's start and end and of each other node that a document
// (xml_document.h) would hold under an element: comments, CDATA sections and processing
// instructions. Character data forms no node, and references to internal entities in
// content are not expanded, as in a parsed document. For a long text of which the reader
// keeps only a little: no tree of the whole text is ever in memory.
//
// Thread safety: a scan uses only its arguments; scans may run on any threads at once.
#include <cstdint>

#include "text.h"

// The attributes of the start tag being reported; valid during that report only.
class XmlScanAttributes {
 public:
  explicit XmlScanAttributes(const char* const* pairs) : pairs_(pairs) {}
  // The value of the first attribute named exactly `name`; empty when there is none.
  Text Get(TextView name) const;

 private:
  const char* const* pairs_;  // expat's name, value, name, value, ..., null
};

class XmlScanReader {
 public:
  virtual void ElementStart(TextView name, const XmlScanAttributes& attributes) = 0;
  virtual void ElementEnd() = 0;
  virtual void OtherNode() = 0;

 protected:
  ~XmlScanReader() = default;
};

// Scans `length` bytes at `data` (expat detects the encoding). 0 when the text is
// well-formed, else expat's error code; the reader has been told of everything before the
// error. A reader that throws stops the scan with XML_ERROR_NO_MEMORY.
int64_t XmlScanMemory(const void* data, int64_t length, XmlScanReader& reader);
