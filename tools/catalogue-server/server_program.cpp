#include "server_program.h"

#include <charconv>
#include <ostream>

#include "server_platform.h"

namespace catalogue {
namespace {

constexpr int kUsageError = 2;
constexpr char kProgram[] = "trawl-catalogue-server";

bool ParsePort(const std::string& text, int& port) {
  int value = -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
      value > 65535)
    return false;
  port = value;
  return true;
}

// Accepts "--name value" and "--name=value"; advances `i` past what it used.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (i + 1 >= args.size()) {
    error = name + " needs a value";
    return false;
  }
  value = args[++i];
  return true;
}

bool IsOption(const std::string& arg, const std::string& name) {
  return arg == name || arg.starts_with(name + "=");
}

}  // namespace

bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options,
                         std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string port;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (IsOption(arg, "--folder")) {
      if (!TakeValue(args, i, "--folder", options.folder, error)) return false;
      if (options.folder.empty()) {
        error = "--folder needs a folder";
        return false;
      }
    } else if (IsOption(arg, "--address")) {
      if (!TakeValue(args, i, "--address", options.address, error)) return false;
    } else if (IsOption(arg, "--port")) {
      if (!TakeValue(args, i, "--port", port, error)) return false;
      if (!ParsePort(port, options.port)) {
        error = "bad port: " + port;
        return false;
      }
    } else {
      error = "unknown argument: " + arg;
      return false;
    }
  }
  return true;
}

std::string ProgramUsage() {
  return std::string("Usage: ") + kProgram + R"( [--folder DIR] [--address ADDR] [--port N]

Publishes JPEG pictures as a Trawl catalogue over HTTP.

  --folder DIR    publish DIR instead of the built-in sample pictures. The *.jpg and
                  *.jpeg files directly in DIR form an album named after DIR; those of
                  each direct subfolder form an album named after the subfolder (deeper
                  folders and hidden files are left out). Albums are split into
                  sections of up to 6 pictures. The folder is read once, at start.
  --address ADDR  the address to listen on (default 127.0.0.1)
  --port N        the port to listen on (default 8917; 0 picks a free port)
  --help          show this text

Without --folder, twelve generated pictures (640x480 to 1600x1200) are published in
the albums Harbour, Forest and City.

Addresses:
  /  and  /trawl/ping               answer 200 (Trawl's connectivity check)
  /trawl/catalog/sample.xml         every picture
  /trawl/catalog/ALBUM.xml          one album, named in lower case (harbour.xml, ...)
  /trawl/catalog/series/A/B.xml     A from 900 to 926: the pictures in pages of A-899,
                                    page B (counted from 0, taken modulo the page count)
  /trawl/catalog/yearly/365/B.xml   three pictures from position B, wrapping around
  /trawl/pictures/PATH              the pictures themselves (GET and HEAD)
Other addresses and numbers answer 404.

The first line on standard output is "listening on http://ADDR:PORT/". Each request
is logged on one line to standard error. )" + std::string(platform::StopRequestHelp()) + R"(
Exit codes: 0 stopped cleanly, 1 serving failed, 2 bad usage, missing folder, folder
without pictures, or address/port that cannot be used.
)";
}

int RunServerProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const ServeUntilStop& serveUntilStop) {
  ProgramOptions options;
  std::string error;
  auto fail = [&](const std::string& message) {
    err << kProgram << ": " << message << std::endl;
    return kUsageError;
  };
  if (!ParseProgramOptions(args, options, error)) return fail(error + " (try --help)");
  if (options.help) {
    out << ProgramUsage();
    return 0;
  }
  auto pictures = options.folder.empty()
                      ? MakeSamplePictureSet()
                      : LoadPictureFolder(platform::PathFromUtf8(options.folder), error);
  if (!pictures) return fail(error);
  CatalogueServer server(pictures, [&err](const std::string& line) { err << line << std::endl; });
  if (!server.Start(options.address, options.port, error)) return fail(error);
  out << "listening on " << server.BaseUrl() << "/" << std::endl;
  serveUntilStop(server);
  bool endedByItself = !server.IsRunning();
  server.Stop();
  if (endedByItself) {
    err << kProgram << ": serving ended unexpectedly" << std::endl;
    return 1;
  }
  return 0;
}

}  // namespace catalogue
