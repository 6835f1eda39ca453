#pragma once
// XML documents: an XML text in memory is parsed by expat into a numbered document, a tree
// of nodes that is walked by root, children, siblings, names and attributes. Character
// data never forms a node of its own: it is appended to the text of the node open when it
// arrives, with the text's own line-break convention (the first line break decides)
// restored. References to internal entities in content are kept as written. A text that is
// not well-formed still makes a document, holding the tree built up to the error; its
// status is expat's error code.
//
// Documents are numbered objects (8 slots; -1 for a dynamic document, whose handle the
// parse returns). Node handles are pointers owned by the document: valid until it is freed.
//
// Thread safety: a document is made and read by one thread; different documents may be
// used on different threads (the node pool is locked).
#include <cstdint>

#include "text.h"

struct XmlNode;

enum XmlNodeKind : int32_t {
  kXmlDocumentNode = 0,
  kXmlElement = 1,
  kXmlComment = 2,
  kXmlCData = 3,
  kXmlDocType = 4,
  kXmlProcessingInstruction = 5,
};

// Text encodings of a document.
constexpr int32_t kXmlEncodingUtf8 = 2;
constexpr int32_t kXmlEncodingLatin1 = 24;
constexpr int32_t kXmlEncodingUtf16 = 25;

// Line-break conventions of a document.
constexpr int32_t kXmlLineEndsNone = 0;
constexpr int32_t kXmlLineEndsCrLf = 1;
constexpr int32_t kXmlLineEndsLf = 2;
constexpr int32_t kXmlLineEndsCr = 4;

void XmlServiceInit();
void XmlServiceEnd();  // frees every document

// Parses `length` bytes at `data` as one complete XML text into document `number`
// (-1: a dynamic document), releasing an older document of that number first. `encoding`
// forces kXmlEncodingUtf8, kXmlEncodingLatin1 or kXmlEncodingUtf16; any other value lets
// expat detect it. Non-zero when the document was made (for -1 its handle), even if the
// text is not well-formed; 0 when none could be made.
int64_t XmlParseMemory(int64_t number, const void* data, int64_t length, int32_t encoding = 0);

// Releases a document and all its nodes; -1 releases every document.
void XmlFree(int64_t number);

// Document queries; 0 or empty for a number that holds no document.
int64_t XmlGetStatus(int64_t number);  // 0 well-formed, else expat's error code
int64_t XmlGetErrorLine(int64_t number);
int64_t XmlGetErrorColumn(int64_t number);  // 1-based
Text XmlGetErrorMessage(int64_t number);
int32_t XmlGetEncoding(int64_t number);
int32_t XmlGetStandalone(int64_t number);  // -1 without an XML declaration
int32_t XmlGetLineEnds(int64_t number);
XmlNode* XmlGetRoot(int64_t number);          // the root element
XmlNode* XmlGetDocumentNode(int64_t number);  // parent of the root, the doctype and prolog

// Node queries; null nodes give 0, null or an empty text.
Text XmlNodeGetName(const XmlNode* node);  // element name or processing-instruction target
Text XmlNodeGetText(const XmlNode* node);  // all character data of the node, concatenated
int32_t XmlNodeGetKind(const XmlNode* node);
// Characters of the parent's text added between the previous sibling (or the parent's
// start) and this node.
int64_t XmlNodeGetTextOffset(const XmlNode* node);
int64_t XmlNodeChildCount(const XmlNode* node);
XmlNode* XmlNodeFirstChild(const XmlNode* node);
XmlNode* XmlNodeNextSibling(const XmlNode* node);
XmlNode* XmlNodePreviousSibling(const XmlNode* node);
XmlNode* XmlNodeParent(const XmlNode* node);
// The value of the first attribute named exactly `name`; empty when there is none.
Text XmlNodeGetAttribute(const XmlNode* node, TextView name);
int64_t XmlNodeAttributeCount(const XmlNode* node);
Text XmlNodeAttributeName(const XmlNode* node, int64_t index);  // 0-based, start-tag order
Text XmlNodeAttributeValue(const XmlNode* node, int64_t index);
// Index of the last attribute named "ID" in any case; -1 when there is none.
int64_t XmlNodeIdAttribute(const XmlNode* node);
