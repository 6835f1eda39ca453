#pragma once
// The texts whose wording differs by platform, POSIX's. Read by the text table at
// compile time only, so the literals do not reach the program.
#include <string_view>

consteval std::u16string_view ConnectivityErrorFirstText() {
  return u"Trawl cannot reach its catalogue service. Please check your network connection "
         u"and start Trawl again.";
}
