#include "size_headers.h"

#include "texts.h"

namespace {

char16_t FoldCase(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

bool EqualIgnoringCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace

int64_t RemoteSizeFromHeaders(TextView headers) {
  const Text& lineSeparator = T(TextRole::LineSeparator);
  const Text& nameSeparator = T(TextRole::NameSeparator);
  const Text& lengthName = T(TextRole::LengthHeaderName);
  if (lineSeparator.empty()) return 0;
  // Each response of a redirect chain brings its own header block, ended by an empty
  // line; only the last block describes the data that a fetch would deliver.
  int64_t size = 0;
  bool found = false;
  bool blockEnded = false;
  size_t start = 0;
  while (start < headers.size()) {
    size_t end = headers.find(lineSeparator, start);
    if (end == TextView::npos) end = headers.size();
    TextView line = headers.substr(start, end - start);
    start = end + lineSeparator.size();
    if (line.empty()) {
      blockEnded = true;
      continue;
    }
    if (blockEnded) {
      size = 0;
      found = false;
      blockEnded = false;
    }
    if (found) continue;
    size_t colon = nameSeparator.empty() ? TextView::npos : line.find(nameSeparator);
    if (colon == TextView::npos) continue;
    if (EqualIgnoringCase(line.substr(0, colon), lengthName)) {
      size = TextToInt(TextField(line.substr(colon + nameSeparator.size()), 1, nameSeparator));
      found = true;
    }
  }
  return size;
}
