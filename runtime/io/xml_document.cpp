#include "xml_document.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <utility>

#include <strings.h>

#include "object_table.h"
#include "xml_storage.h"

namespace {

struct XmlDocument {
  int64_t handle = 0;  // the record's address while the document exists
  XmlNode* documentNode = nullptr;
  XmlNode* root = nullptr;
  int32_t encoding = kXmlEncodingUtf8;
  int32_t standalone = -1;
  int32_t lineEnds = kXmlLineEndsNone;
  int64_t status = 0;
  int64_t errorLine = 0;
  int64_t errorColumn = 0;
  Text errorMessage;
  std::unique_ptr<XmlArena> arena;
  XML_Parser parser = nullptr;
  int64_t documentId = 0;
  bool encodingForced = false;
  // While parsing: the open node, its child closed last, and the characters added to its
  // text since then.
  XmlNode* current = nullptr;
  XmlNode* lastClosed = nullptr;
  int64_t runLength = 0;
  bool outOfMemory = false;
  Text scratch;
};

using DocumentTable = ObjectTable<XmlDocument>;
std::optional<DocumentTable> documents;

XmlDocument* Find(int64_t number) { return documents ? documents->Get(number) : nullptr; }

// A field of a document, or its zero value when the number holds none.
template <class T>
T Field(int64_t number, T XmlDocument::*field) {
  const XmlDocument* doc = Find(number);
  return doc ? doc->*field : T();
}

// --- line ends -------------------------------------------------------------------------

bool HasFiveZeroBytes(const uint8_t* bytes, size_t length) {
  int zeros = 0;
  for (const uint8_t* end = bytes + length; zeros < 5; ++zeros, ++bytes) {
    bytes = static_cast<const uint8_t*>(std::memchr(bytes, 0, static_cast<size_t>(end - bytes)));
    if (!bytes) return false;
  }
  return true;
}

// The first line break decides; text with at least five zero bytes is read as 16-bit
// units (little-endian unless it starts with a big-endian byte order mark).
int32_t DetectLineEnds(const uint8_t* bytes, size_t length) {
  const bool wide = HasFiveZeroBytes(bytes, length);
  const bool bigEndian = wide && length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
  const size_t units = wide ? length / 2 : length;
  const auto unit = [&](size_t i) -> uint32_t {
    if (!wide) return bytes[i];
    const uint32_t first = bytes[2 * i], second = bytes[2 * i + 1];
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  for (size_t i = units > 0 && unit(0) == '\n' ? 1 : 0; i < units; ++i) {
    if (unit(i) == '\n') return kXmlLineEndsLf;
    if (unit(i) == '\r')
      return i + 1 < units && unit(i + 1) == '\n' ? kXmlLineEndsCrLf : kXmlLineEndsCr;
  }
  return kXmlLineEndsNone;
}

// --- text from expat (valid UTF-8) -----------------------------------------------------

constexpr int32_t kKeepLineEnds = -1;

void AppendLineBreak(Text& out, int32_t lineEnds) {
  if (lineEnds == kXmlLineEndsCrLf) out += u"\r\n";
  else if (lineEnds == kXmlLineEndsCr) out += u'\r';
  else out += u'\n';
}

// Appends UTF-8 as UTF-16; each LF becomes the document's line break unless `lineEnds`
// is kKeepLineEnds.
void AppendUtf8(Text& out, const char* s, size_t n, int32_t lineEnds) {
  for (size_t i = 0; i < n;) {
    // Runs of plain ASCII, the bulk of a catalogue, are widened in one go.
    size_t run = i;
    while (run < n && static_cast<unsigned char>(s[run]) < 0x80 && s[run] != '\n') ++run;
    if (run > i) {
      const size_t at = out.size();
      out.resize(at + (run - i));
      std::copy(s + i, s + run, out.begin() + static_cast<std::ptrdiff_t>(at));
      i = run;
      continue;
    }
    const auto lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
      if (lead == '\n' && lineEnds != kKeepLineEnds) AppendLineBreak(out, lineEnds);
      else out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    const size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    if (i + extra >= n) break;  // a cut sequence
    char32_t code = lead & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) code = code << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += extra + 1;
    if (code >= 0x10000) {
      code -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (code >> 10));
      out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
}

XmlString StoreUtf8(XmlDocument& doc, const char* s) {
  doc.scratch.clear();
  AppendUtf8(doc.scratch, s, std::strlen(s), kKeepLineEnds);
  return doc.arena->Store(doc.scratch);
}

// --- building the tree -----------------------------------------------------------------

XmlNode* NewNode(XmlDocument& doc, int32_t kind) {
  XmlNode* node = XmlNodePool::Shared().Take();
  node->kind = kind;
  node->documentId = doc.documentId;
  node->textOffset = doc.runLength;
  node->parent = doc.current;
  if (doc.lastClosed) {
    doc.lastClosed->next = node;
    node->previous = doc.lastClosed;
  } else {
    doc.current->firstChild = node;
  }
  doc.current = node;
  doc.lastClosed = nullptr;
  doc.runLength = 0;
  return node;
}

// Moves a node's growing text into the document's storage.
void CommitText(XmlDocument& doc, XmlNode& node) {
  std::unique_ptr<Text> text(std::exchange(node.growingText, nullptr));
  if (text) node.text = doc.arena->Store(*text);
}

void CloseCurrent(XmlDocument& doc) {
  XmlNode* node = doc.current;
  if (node == doc.documentNode) return;
  CommitText(doc, *node);
  doc.lastClosed = node;
  doc.current = node->parent;
  doc.runLength = 0;
}

// Adds to the open node's text; on failure the text stays as it was.
template <class Append>
void GrowText(XmlDocument& doc, Append append) {
  XmlNode& node = *doc.current;
  if (!node.growingText) node.growingText = new Text();
  Text& text = *node.growingText;
  const size_t before = text.size();
  try {
    append(text);
  } catch (...) {
    text.resize(before);
    throw;
  }
  doc.runLength += static_cast<int64_t>(text.size() - before);
}

void AppendText(XmlDocument& doc, const char* s, size_t n, int32_t lineEnds) {
  GrowText(doc, [&](Text& text) { AppendUtf8(text, s, n, lineEnds); });
}

void AppendText(XmlDocument& doc, const char* s) {
  AppendText(doc, s, std::strlen(s), doc.lineEnds);
}

bool IsIdName(const XmlString& name) {
  return name.length == 2 && (name.data[0] == u'I' || name.data[0] == u'i') &&
         (name.data[1] == u'D' || name.data[1] == u'd');
}

void StartElement(XmlDocument& doc, const XML_Char* name, const XML_Char** atts) {
  XmlNode* node = NewNode(doc, kXmlElement);
  if (!doc.root) doc.root = node;
  node->name = StoreUtf8(doc, name);
  int64_t pairs = 0;
  while (atts[2 * pairs]) ++pairs;
  if (pairs == 0) return;
  auto* attributes =
      static_cast<XmlString*>(doc.arena->Allocate(sizeof(XmlString) * 2 * static_cast<size_t>(pairs)));
  int32_t idAttribute = -1;
  for (int64_t i = 0; i < pairs; ++i) {
    attributes[2 * i] = StoreUtf8(doc, atts[2 * i]);
    attributes[2 * i + 1] = StoreUtf8(doc, atts[2 * i + 1]);
    if (IsIdName(attributes[2 * i])) idAttribute = static_cast<int32_t>(i);
  }
  node->attributes = attributes;
  node->attributeCount = pairs;
  node->idAttribute = idAttribute;
}

void AppendQuoted(Text& text, const char* identifier) {
  const char16_t quote = std::strchr(identifier, '"') ? u'\'' : u'"';
  text += u' ';
  text += quote;
  AppendUtf8(text, identifier, std::strlen(identifier), kKeepLineEnds);
  text += quote;
}

void StartDoctype(XmlDocument& doc, const XML_Char* name, const XML_Char* systemId,
                  const XML_Char* publicId, int hasInternalSubset) {
  NewNode(doc, kXmlDocType);
  Text text = u"<!DOCTYPE ";
  AppendUtf8(text, name, std::strlen(name), kKeepLineEnds);
  if (systemId) text += publicId ? u" PUBLIC" : u" SYSTEM";
  if (publicId) AppendQuoted(text, publicId);
  if (systemId) AppendQuoted(text, systemId);
  text += hasInternalSubset ? u" [" : u">";
  GrowText(doc, [&](Text& growing) { growing += text; });
  if (!hasInternalSubset) CloseCurrent(doc);
}

void EndDoctype(XmlDocument& doc) {
  if (doc.current->kind != kXmlDocType) return;
  AppendText(doc, "]>", 2, kKeepLineEnds);
  CloseCurrent(doc);
}

int32_t EncodingCode(const char* name) {
  const auto is = [name](const char* other) { return name && strcasecmp(name, other) == 0; };
  if (is("US-ASCII") || is("ISO-8859-1")) return kXmlEncodingLatin1;
  if (is("UTF-16")) return kXmlEncodingUtf16;
  return kXmlEncodingUtf8;
}

const char* EncodingName(int32_t code) {
  switch (code) {
    case kXmlEncodingUtf8: return "UTF-8";
    case kXmlEncodingLatin1: return "ISO-8859-1";
    case kXmlEncodingUtf16: return "UTF-16";
    default: return nullptr;
  }
}

// --- expat callbacks: nothing may be thrown through the parser --------------------------

template <class Body>
void Guarded(void* user, Body&& body) {
  auto& doc = *static_cast<XmlDocument*>(user);
  try {
    body(doc);
  } catch (...) {
    doc.outOfMemory = true;
    XML_StopParser(doc.parser, XML_FALSE);
  }
}

void XMLCALL OnStartElement(void* user, const XML_Char* name, const XML_Char** atts) {
  Guarded(user, [&](XmlDocument& doc) { StartElement(doc, name, atts); });
}

void XMLCALL OnEndElement(void* user, const XML_Char*) {
  Guarded(user, [](XmlDocument& doc) { CloseCurrent(doc); });
}

void XMLCALL OnCharacterData(void* user, const XML_Char* s, int length) {
  Guarded(user, [&](XmlDocument& doc) {
    AppendText(doc, s, static_cast<size_t>(length), doc.lineEnds);
  });
}

void XMLCALL OnDefault(void* user, const XML_Char* s, int length) {
  Guarded(user, [&](XmlDocument& doc) {
    AppendText(doc, s, static_cast<size_t>(length), kKeepLineEnds);
  });
}

void XMLCALL OnComment(void* user, const XML_Char* data) {
  Guarded(user, [&](XmlDocument& doc) {
    NewNode(doc, kXmlComment);
    AppendText(doc, data);
    CloseCurrent(doc);
  });
}

void XMLCALL OnProcessingInstruction(void* user, const XML_Char* target, const XML_Char* data) {
  Guarded(user, [&](XmlDocument& doc) {
    NewNode(doc, kXmlProcessingInstruction)->name = StoreUtf8(doc, target);
    AppendText(doc, data);
    CloseCurrent(doc);
  });
}

void XMLCALL OnStartCdata(void* user) {
  Guarded(user, [](XmlDocument& doc) { NewNode(doc, kXmlCData); });
}

void XMLCALL OnEndCdata(void* user) {
  Guarded(user, [](XmlDocument& doc) {
    if (doc.current->kind == kXmlCData) CloseCurrent(doc);
  });
}

void XMLCALL OnStartDoctype(void* user, const XML_Char* name, const XML_Char* systemId,
                            const XML_Char* publicId, int hasInternalSubset) {
  Guarded(user, [&](XmlDocument& doc) {
    StartDoctype(doc, name, systemId, publicId, hasInternalSubset);
  });
}

void XMLCALL OnEndDoctype(void* user) {
  Guarded(user, [](XmlDocument& doc) { EndDoctype(doc); });
}

void XMLCALL OnXmlDecl(void* user, const XML_Char* version, const XML_Char* encoding,
                       int standalone) {
  auto& doc = *static_cast<XmlDocument*>(user);
  if (!version) return;
  if (!doc.encodingForced) doc.encoding = EncodingCode(encoding);
  doc.standalone = standalone;
}

void InstallHandlers(XML_Parser parser, XmlDocument& doc) {
  XML_SetUserData(parser, &doc);
  XML_SetElementHandler(parser, OnStartElement, OnEndElement);
  XML_SetCharacterDataHandler(parser, OnCharacterData);
  // Not the expanding variant: references to internal entities in content stay as written.
  XML_SetDefaultHandler(parser, OnDefault);
  XML_SetCommentHandler(parser, OnComment);
  XML_SetCdataSectionHandler(parser, OnStartCdata, OnEndCdata);
  XML_SetDoctypeDeclHandler(parser, OnStartDoctype, OnEndDoctype);
  XML_SetXmlDeclHandler(parser, OnXmlDecl);
  XML_SetProcessingInstructionHandler(parser, OnProcessingInstruction);
}

// --- parse and release -----------------------------------------------------------------

void RecordError(XmlDocument& doc) {
  const XML_Error code = doc.outOfMemory ? XML_ERROR_NO_MEMORY : XML_GetErrorCode(doc.parser);
  doc.status = code;
  doc.errorLine = static_cast<int64_t>(XML_GetCurrentLineNumber(doc.parser));
  doc.errorColumn = static_cast<int64_t>(XML_GetCurrentColumnNumber(doc.parser)) + 1;
  if (const XML_LChar* message = XML_ErrorString(code)) doc.errorMessage = TextFromUtf8(message);
}

// expat takes at most INT_MAX bytes per call.
void ParseAll(XmlDocument& doc, const char* data, int64_t length) {
  constexpr int64_t kPiece = 1 << 30;
  do {
    const int64_t piece = std::min(length, kPiece);
    const bool last = piece == length;
    if (XML_Parse(doc.parser, data, static_cast<int>(piece), last) == XML_STATUS_ERROR)
      return RecordError(doc);
    data += piece;
    length -= piece;
  } while (length > 0);
}

// Nodes left open by an error keep the text they had.
void CommitOpenNodes(XmlDocument& doc) {
  for (XmlNode* node = doc.current; node; node = node->parent) {
    try {
      CommitText(doc, *node);
    } catch (const std::bad_alloc&) {
      doc.status = XML_ERROR_NO_MEMORY;
    }
  }
  doc.current = nullptr;
  doc.lastClosed = nullptr;
  doc.scratch = Text();
}

// Iterative, so that deep trees cannot exhaust the stack; the nodes go back to the pool
// in one chain.
void FreeTree(XmlNode* top) {
  XmlNode* first = nullptr;
  XmlNode* last = nullptr;
  size_t count = 0;
  for (XmlNode* node = top; node;) {
    if (node->firstChild) {
      node = std::exchange(node->firstChild, nullptr);
      continue;
    }
    XmlNode* following = node == top ? nullptr : node->next ? node->next : node->parent;
    delete std::exchange(node->growingText, nullptr);
    node->next = first;
    first = node;
    if (!last) last = node;
    ++count;
    node = following;
  }
  XmlNodePool::Shared().GiveChain(first, last, count);
}

bool Prepare(XmlDocument& doc, int64_t key, size_t length, int32_t encoding) {
  try {
    doc.arena = std::make_unique<XmlArena>(length + 16);
    doc.documentNode = XmlNodePool::Shared().Take();
  } catch (const std::bad_alloc&) {
    return false;
  }
  doc.documentNode->documentId = key;
  doc.documentId = key;
  doc.current = doc.documentNode;
  doc.encodingForced = EncodingName(encoding) != nullptr;
  if (doc.encodingForced) doc.encoding = encoding;
  return true;
}

}  // namespace

void XmlServiceInit() {
  if (!documents) documents.emplace(8, [](int64_t number) { XmlFree(number); });
}

void XmlServiceEnd() { XmlFree(kDynamicNumber); }

int64_t XmlParseMemory(int64_t number, const void* data, int64_t length, int32_t encoding) {
  if (!documents || length < 0 || (!data && length > 0)) return 0;
  XML_Parser parser = XML_ParserCreate(EncodingName(encoding));
  if (!parser) return 0;
  XmlDocument* doc = documents->Reserve(number);
  if (!doc) {
    XML_ParserFree(parser);
    return 0;
  }
  const int64_t handle = DocumentTable::HandleOf(doc);
  const int64_t key = number == kDynamicNumber ? handle : number;
  if (!Prepare(*doc, key, static_cast<size_t>(length), encoding)) {
    XML_ParserFree(parser);
    if (doc->documentNode) FreeTree(doc->documentNode);
    documents->Release(key);
    return 0;
  }
  doc->handle = handle;
  doc->parser = parser;
  InstallHandlers(parser, *doc);
  const char* bytes = length > 0 ? static_cast<const char*>(data) : "";
  doc->lineEnds = DetectLineEnds(reinterpret_cast<const uint8_t*>(bytes), static_cast<size_t>(length));
  ParseAll(*doc, bytes, length);
  CommitOpenNodes(*doc);
  XML_ParserFree(std::exchange(doc->parser, nullptr));
  return handle;
}

void XmlFree(int64_t number) {
  if (!documents) return;
  if (number == kDynamicNumber) return documents->ReleaseAll();
  XmlDocument* doc = documents->Get(number);
  if (!doc) return;
  if (doc->parser) XML_ParserFree(std::exchange(doc->parser, nullptr));
  FreeTree(doc->documentNode);
  documents->Release(number);
}

int64_t XmlGetStatus(int64_t number) { return Field(number, &XmlDocument::status); }
int64_t XmlGetErrorLine(int64_t number) { return Field(number, &XmlDocument::errorLine); }
int64_t XmlGetErrorColumn(int64_t number) { return Field(number, &XmlDocument::errorColumn); }
Text XmlGetErrorMessage(int64_t number) { return Field(number, &XmlDocument::errorMessage); }
int32_t XmlGetEncoding(int64_t number) { return Field(number, &XmlDocument::encoding); }
int32_t XmlGetStandalone(int64_t number) { return Field(number, &XmlDocument::standalone); }
int32_t XmlGetLineEnds(int64_t number) { return Field(number, &XmlDocument::lineEnds); }
XmlNode* XmlGetRoot(int64_t number) { return Field(number, &XmlDocument::root); }
XmlNode* XmlGetDocumentNode(int64_t number) { return Field(number, &XmlDocument::documentNode); }

Text XmlNodeGetName(const XmlNode* node) { return node ? Text(node->name.View()) : Text(); }

Text XmlNodeGetText(const XmlNode* node) { return node ? Text(node->text.View()) : Text(); }

int32_t XmlNodeGetKind(const XmlNode* node) { return node ? node->kind : 0; }

int64_t XmlNodeGetTextOffset(const XmlNode* node) { return node ? node->textOffset : 0; }

int64_t XmlNodeChildCount(const XmlNode* node) {
  int64_t count = 0;
  for (const XmlNode* child = node ? node->firstChild : nullptr; child; child = child->next) ++count;
  return count;
}

XmlNode* XmlNodeFirstChild(const XmlNode* node) { return node ? node->firstChild : nullptr; }
XmlNode* XmlNodeNextSibling(const XmlNode* node) { return node ? node->next : nullptr; }
XmlNode* XmlNodePreviousSibling(const XmlNode* node) { return node ? node->previous : nullptr; }
XmlNode* XmlNodeParent(const XmlNode* node) { return node ? node->parent : nullptr; }

Text XmlNodeGetAttribute(const XmlNode* node, TextView name) {
  if (!node) return {};
  for (int64_t i = 0; i < node->attributeCount; ++i)
    if (node->attributes[2 * i].View() == name) return Text(node->attributes[2 * i + 1].View());
  return {};
}

int64_t XmlNodeAttributeCount(const XmlNode* node) { return node ? node->attributeCount : 0; }

Text XmlNodeAttributeName(const XmlNode* node, int64_t index) {
  if (!node || index < 0 || index >= node->attributeCount) return {};
  return Text(node->attributes[2 * index].View());
}

Text XmlNodeAttributeValue(const XmlNode* node, int64_t index) {
  if (!node || index < 0 || index >= node->attributeCount) return {};
  return Text(node->attributes[2 * index + 1].View());
}

int64_t XmlNodeIdAttribute(const XmlNode* node) { return node ? node->idAttribute : -1; }
