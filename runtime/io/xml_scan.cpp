#include "xml_scan.h"

#include <expat.h>

#include <algorithm>

namespace {

struct Scan {
  XmlScanReader& reader;
  XML_Parser parser;
  bool failed = false;
};

// Nothing may be thrown through the parser.
template <class Body>
void Guarded(void* user, Body&& body) {
  auto& scan = *static_cast<Scan*>(user);
  try {
    body(scan.reader);
  } catch (...) {
    scan.failed = true;
    XML_StopParser(scan.parser, XML_FALSE);
  }
}

void XMLCALL OnStartElement(void* user, const XML_Char* name, const XML_Char** atts) {
  Guarded(user, [&](XmlScanReader& reader) {
    reader.ElementStart(TextFromUtf8(name), XmlScanAttributes(atts));
  });
}

void XMLCALL OnEndElement(void* user, const XML_Char*) {
  Guarded(user, [](XmlScanReader& reader) { reader.ElementEnd(); });
}

void XMLCALL OnOtherNode(void* user) {
  Guarded(user, [](XmlScanReader& reader) { reader.OtherNode(); });
}

void XMLCALL OnComment(void* user, const XML_Char*) { OnOtherNode(user); }

void XMLCALL OnProcessingInstruction(void* user, const XML_Char*, const XML_Char*) {
  OnOtherNode(user);
}

// Having a default handler keeps expat from expanding internal entities in content, which
// could otherwise make elements that a parsed document does not have.
void XMLCALL OnDefault(void*, const XML_Char*, int) {}

void XMLCALL OnEndCdata(void*) {}

}  // namespace

Text XmlScanAttributes::Get(TextView name) const {
  for (const char* const* pair = pairs_; pair[0]; pair += 2)
    if (TextFromUtf8(pair[0]) == name) return TextFromUtf8(pair[1]);
  return {};
}

int64_t XmlScanMemory(const void* data, int64_t length, XmlScanReader& reader) {
  if (length < 0 || (!data && length > 0)) return XML_ERROR_NO_ELEMENTS;
  XML_Parser parser = XML_ParserCreate(nullptr);
  if (!parser) return XML_ERROR_NO_MEMORY;
  Scan scan{reader, parser};
  XML_SetUserData(parser, &scan);
  XML_SetElementHandler(parser, OnStartElement, OnEndElement);
  XML_SetDefaultHandler(parser, OnDefault);
  XML_SetCommentHandler(parser, OnComment);
  XML_SetCdataSectionHandler(parser, OnOtherNode, OnEndCdata);
  XML_SetProcessingInstructionHandler(parser, OnProcessingInstruction);
  // expat copies what it is given into a buffer of its own, so a long text goes in pieces
  // rather than being held twice.
  constexpr int64_t kPiece = 1 << 20;
  const char* bytes = length > 0 ? static_cast<const char*>(data) : "";
  int64_t status = 0;
  do {
    const int64_t piece = std::min(length, kPiece);
    if (XML_Parse(parser, bytes, static_cast<int>(piece), piece == length) == XML_STATUS_ERROR) {
      status = scan.failed ? XML_ERROR_NO_MEMORY : XML_GetErrorCode(parser);
      break;
    }
    bytes += piece;
    length -= piece;
  } while (length > 0);
  XML_ParserFree(parser);
  return status;
}
