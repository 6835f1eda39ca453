#pragma once
// The texts whose wording differs by platform, Windows'. Read by the text table at
// compile time only, so the literals do not reach the program.
#include <string_view>

// On Windows the catalogue server is a program the user starts, so the message says how
// (the installer's Start-menu entry has this name).
consteval std::u16string_view ConnectivityErrorFirstText() {
  return u"Trawl needs its catalogue server, which is not answering. Start it from the Start "
         u"menu (Trawl catalogue server) or run trawl-catalogue-server.exe from Trawl's "
         u"folder, then start Trawl again.";
}
