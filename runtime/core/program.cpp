#include "program.h"

Text PathOfFile(TextView path) {
  for (size_t end = path.size(); end > 0; --end)
    if (IsPathSeparator(path[end - 1])) return Text(path.substr(0, end));
  return Text();
}
