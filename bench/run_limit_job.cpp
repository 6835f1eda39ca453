// The most a download run could do in one process: the run's pictures fetched one after
// another over one kept connection, each saved, loaded, marked and saved again strongly
// compressed, with no list, no worker thread and no size queries.
//   run_limit_job ADDRESS_LIST FOLDER/ [CA_FILE]
// ADDRESS_LIST holds one address per line. Prints the line of job_clock.h plus the
// pictures done; fails unless every picture was fetched and marked.
#include <fstream>
#include <string>
#include <vector>

#include "bench_app.h"
#include "fonts.h"
#include "http.h"
#include "images.h"
#include "job_clock.h"
#include "memory.h"
#include "picture_mark.h"
#include "replace_file.h"
#include "texts.h"

namespace {

constexpr int64_t kPicture = 100;
constexpr int64_t kFont = 1;
constexpr int64_t kMarkFontPoints = 216;
constexpr int64_t kQuality = 1;  // the worker's strong compression
constexpr uint32_t kRed = 0x0000FF;

bool FetchAndMark(const Text& address, const Text& path) {
  uint8_t* data = FetchToMemoryBlock(address, 0);
  const bool saved = data && ReplaceFileWhole(path, data, MemorySize(data));
  MemoryFree(data);
  const bool marked = saved && ImageLoad(kPicture, path, 0) != 0 &&
                      MarkLikeTheWorker(kPicture, kFont, T(TextRole::MarkText), kRed) &&
                      ImageSave(kPicture, path, kImageFormatJpeg, kQuality, -1) != 0;
  ImageFree(kPicture);
  return marked;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) return JobFailed(argv[0], "usage: ADDRESS_LIST FOLDER/ [CA_FILE]");
  std::vector<Text> addresses;
  std::ifstream list(argv[1]);
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) addresses.push_back(TextFromUtf8(line));
  if (argc == 4) FetchSetCaFile(TextFromUtf8(argv[3]));
  BenchAppStart();  // the services as the program has them
  ImageRegisterJpeg();
  if (!FontLoad(kFont, T(TextRole::FontFace), kMarkFontPoints, kFontBold))
    return JobFailed(argv[0], "no mark font");
  const Text folder = TextFromUtf8(argv[2]);

  JobClock clock;
  size_t done = 0;
  for (size_t i = 0; i < addresses.size(); ++i)
    done += FetchAndMark(addresses[i], folder + TextFromInt(static_cast<int64_t>(i)) + u".jpg");
  clock.Report("entries=" + std::to_string(done));
  if (done != addresses.size())
    return JobFailed(argv[0], std::to_string(done) + " of " +
                                  std::to_string(addresses.size()) + " pictures done");
  return 0;
}
