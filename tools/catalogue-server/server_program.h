#pragma once
// The trawl-catalogue-server program without its process entry: command line, picture
// set, server start or site export and the messages around them, so that tests can run
// it in-process.
//
// Exit codes: 0 after a clean stop, a finished export or --help, 1 when serving ended by
// itself or an export failed or was stopped half-way, 2 for a bad command line, a missing
// folder, a folder without pictures, an address that cannot be bound or an export folder
// that may not be written. Not reentrant with respect to the streams it is given.
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "catalogue_server.h"

namespace catalogue {

struct ProgramOptions {
  std::string folder;  // empty: the built-in sample set
  std::string address = kDefaultAddress;
  int port = kDefaultPort;
  SiteAddresses site;
  std::string exportFolder;  // not empty: write the site there instead of serving it
  bool force = false;        // the export replaces what the folder holds
  bool help = false;
};

// Reads the arguments after the program name. False with `error` set on bad usage.
bool ParseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options,
                         std::string& error);

std::string ProgramUsage();

// Blocks while the server should serve; returns when it is to stop.
using ServeUntilStop = std::function<void(const CatalogueServer& server)>;

// Prints "listening on http://ADDRESS:PORT/" as the first line of `out` once serving,
// logs each request as one line on `err`, and returns the exit code. An export prints
// one summary line on `out` instead and asks platform::StopRequested between files.
int RunServerProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const ServeUntilStop& serveUntilStop);

}  // namespace catalogue
