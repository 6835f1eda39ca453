#include "program.h"

#include <algorithm>

Text PathOfFile(TextView path) {
  for (size_t end = path.size(); end > 0; --end)
    if (IsPathSeparator(path[end - 1])) return Text(path.substr(0, end));
  return Text();
}

Text FolderPath(TextView folder) {
  Text path(folder);
  if (!path.empty() && !IsPathSeparator(path.back())) path += kPathSeparator;
  return path;
}

bool PathIsUsable(TextView path) { return !path.empty() && path.find(u'\0') == TextView::npos; }

namespace {

// An extension longer than this is part of the name, not a type to keep.
constexpr size_t kLongestKeptExtension = 32;
// A path leaving less room for the name before its extension cannot be saved to anyway.
constexpr int64_t kShortestCutName = 16;

bool StartsPair(TextView text, size_t at) {
  return at + 1 < text.size() && text[at] >= 0xD800 && text[at] <= 0xDBFF &&
         text[at + 1] >= 0xDC00 && text[at + 1] <= 0xDFFF;
}

// The longest start of `text` whose length is at most `room`, in whole characters.
TextView LongestStartWithin(TextView text, int64_t room) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t next = end + (StartsPair(text, end) ? 2 : 1);
    const int64_t length = FileNameLength(text.substr(end, next - end));
    if (length > room) break;
    room -= length;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace

Text FitFileName(TextView folder, TextView name) {
  const int64_t room = std::min(kLongestFileName, kLongestPath - FileNameLength(folder));
  if (FileNameLength(name) <= room) return Text(name);
  const size_t dot = name.rfind(u'.');
  TextView extension;
  if (dot != TextView::npos && dot > 0 && name.size() - dot <= kLongestKeptExtension)
    extension = name.substr(dot);
  const TextView stem = name.substr(0, name.size() - extension.size());
  const int64_t stemRoom = std::max(room - FileNameLength(extension), kShortestCutName);
  return Text(LongestStartWithin(stem, stemRoom)) + Text(extension);
}
