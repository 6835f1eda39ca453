#include "server_program.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ostream>

#include "server_platform.h"
#include "site_export.h"
#include "staged_folder.h"

namespace catalogue {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;
// Between files the export looks for a stop request this often.
constexpr std::chrono::milliseconds kStopPoll(20);
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

bool TakeNonEmpty(const std::vector<std::string>& args, size_t& i, const std::string& name,
                  const std::string& what, std::string& value, std::string& error) {
  if (!TakeValue(args, i, name, value, error)) return false;
  if (value.empty()) error = name + " needs " + what;
  return !value.empty();
}

bool IsOption(const std::string& arg, const std::string& name) {
  return arg == name || arg.starts_with(name + "=");
}

// What the options say together, once all are read.
bool CheckOptions(ProgramOptions& options, std::string& error) {
  const std::string baseUrl = options.site.baseUrl;
  if (!baseUrl.empty() && !NormalBaseUrl(baseUrl, options.site.baseUrl, error)) return false;
  if (!CheckCataloguePath(options.site.cataloguePath, error)) return false;
  if (!options.exportFolder.empty() && options.site.baseUrl.empty())
    error = "--export needs --base-url, the address the site will be published at";
  else if (options.force && options.exportFolder.empty())
    error = "--force goes only with --export";
  return error.empty();
}

int Fail(std::ostream& err, const std::string& message, int code = kUsageError) {
  err << kProgram << ": " << message << std::endl;
  return code;
}

std::shared_ptr<const PictureSet> LoadPictures(const ProgramOptions& options, std::string& error) {
  return options.folder.empty() ? MakeSamplePictureSet()
                                : LoadPictureFolder(platform::PathFromUtf8(options.folder), error);
}

std::string ExportSummary(const SiteSummary& summary, const std::filesystem::path& folder,
                          std::chrono::steady_clock::duration took) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f", std::chrono::duration<double>(took).count());
  return "exported " + std::to_string(summary.files) + " files (" +
         std::to_string(summary.pictures) + " pictures, " + std::to_string(summary.bytes) +
         " bytes) to " + platform::Utf8Path(folder) + " in " + seconds + " s";
}

// Everything is checked before the staging folder is made; the target changes only
// when the whole site is written.
int RunExport(const ProgramOptions& options, std::ostream& out, std::ostream& err) {
  auto start = std::chrono::steady_clock::now();
  StagedFolder folder(platform::PathFromUtf8(options.exportFolder));
  std::string error;
  auto state = folder.CheckTarget(options.force, error);
  if (state == StagedFolder::TargetState::NotEmpty)
    return Fail(err, error + " (--force replaces its content)");
  if (state != StagedFolder::TargetState::Writable) return Fail(err, error);
  auto pictures = LoadPictures(options, error);
  if (!pictures) return Fail(err, error);
  if (!folder.Create(error)) return Fail(err, error, kFailed);
  SiteSummary summary;
  auto stop = [] { return platform::StopRequested(kStopPoll); };
  if (!WriteSite(CatalogueRoutes(pictures, options.site), folder.Staging(), stop, summary, error) ||
      !folder.Commit(error))
    return Fail(err, "export failed, " + platform::Utf8Path(folder.Target()) +
                         " is left as it was: " + error,
                kFailed);
  out << ExportSummary(summary, folder.Target(), std::chrono::steady_clock::now() - start)
      << std::endl;
  return 0;
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
      if (!TakeNonEmpty(args, i, "--folder", "a folder", options.folder, error)) return false;
    } else if (IsOption(arg, "--export")) {
      if (!TakeNonEmpty(args, i, "--export", "a folder", options.exportFolder, error)) return false;
    } else if (IsOption(arg, "--base-url")) {
      if (!TakeNonEmpty(args, i, "--base-url", "a URL", options.site.baseUrl, error)) return false;
    } else if (IsOption(arg, "--catalogue-path")) {
      if (!TakeValue(args, i, "--catalogue-path", options.site.cataloguePath, error)) return false;
    } else if (arg == "--force") {
      options.force = true;
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
  return CheckOptions(options, error);
}

std::string ProgramUsage() {
  return std::string("Usage: ") + kProgram + R"( [--folder DIR] [--address ADDR] [--port N]
           [--base-url URL] [--catalogue-path PATH]
       )" + kProgram + R"( [--folder DIR] --export OUT --base-url URL [--force]
           [--catalogue-path PATH]

Publishes JPEG pictures as a Trawl catalogue over HTTP, or writes them as a static site
for any web server.

  --folder DIR    publish DIR instead of the built-in sample pictures. The *.jpg and
                  *.jpeg files directly in DIR form an album named after DIR; those of
                  each direct subfolder form an album named after the subfolder (deeper
                  folders and hidden files are left out). Albums are split into
                  sections of up to 6 pictures. The folder is read once, at start.
  --address ADDR  the address to listen on (default 127.0.0.1)
  --port N        the port to listen on (default 8917; 0 picks a free port)
  --base-url URL  the address the site is reached at (http:// or https://, a host, maybe
                  a path; no query or fragment): picture addresses in the catalogues
                  start with it instead of the listening address, and the index page
                  links below it (for a server behind a proxy, and for --export)
  --catalogue-path PATH
                  the folder of the catalogues instead of /trawl/catalog (starts with /,
                  no ?, #, trailing /, . or .. segments); pictures and ping stay put
  --export OUT    write the whole site as plain files into the folder OUT, then exit:
                  / as OUT/index.html, every other address as the file of that path
                  (pictures as their names read, unescaped). A static site holds the
                  series and days with their canonical numbers only: B from 0 to the
                  page count - 1 (series) or the picture count - 1 (yearly). OUT must be
                  missing or empty; it is written beside OUT and moved there complete.
  --force         with --export: replace what OUT holds
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
An export prints one line: the files, pictures and bytes written and the time taken.
Exit codes: 0 stopped cleanly or exported, 1 serving or the export failed (OUT is left as
it was), 2 bad usage, missing folder, folder without pictures, address/port that cannot
be used, or an export folder that is not empty.
)";
}

int RunServerProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const ServeUntilStop& serveUntilStop) {
  ProgramOptions options;
  std::string error;
  if (!ParseProgramOptions(args, options, error)) return Fail(err, error + " (try --help)");
  if (options.help) {
    out << ProgramUsage();
    return 0;
  }
  if (!options.exportFolder.empty()) return RunExport(options, out, err);
  auto pictures = LoadPictures(options, error);
  if (!pictures) return Fail(err, error);
  CatalogueServer server(
      pictures, [&err](const std::string& line) { err << line << std::endl; }, options.site);
  if (!server.Start(options.address, options.port, error)) return Fail(err, error);
  out << "listening on " << server.BaseUrl() << "/" << std::endl;
  serveUntilStop(server);
  bool endedByItself = !server.IsRunning();
  server.Stop();
  if (endedByItself) {
    return Fail(err, "serving ended unexpectedly", kFailed);
  }
  return 0;
}

}  // namespace catalogue
