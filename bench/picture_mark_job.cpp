// What the download worker does to a saved picture: load it, draw the mark, save it
// again strongly compressed.
//   picture_mark_job IN.jpg OUT.jpg QUALITY
// Prints the line of job_clock.h (the font and the codec are made before the clock
// starts, as the program has them from start-up).
#include <string>

#include "fonts.h"
#include "images.h"
#include "job_clock.h"
#include "picture_mark.h"
#include "platform/text_render.h"
#include "texts.h"

namespace {

constexpr int64_t kPicture = 100;
constexpr int64_t kFont = 1;
constexpr int64_t kMarkFontPoints = 216;
constexpr uint32_t kRed = 0x0000FF;

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return JobFailed(argv[0], "usage: IN.jpg OUT.jpg QUALITY");
  if (!PlatformTextStart()) return JobFailed(argv[0], "no GUI platform to draw text with");
  TextsLoad(TextTable::BuiltIn());
  FontServiceInit();
  ImageServiceInit();
  ImageRegisterJpeg();
  if (!FontLoad(kFont, T(TextRole::FontFace), kMarkFontPoints, kFontBold))
    return JobFailed(argv[0], "no mark font");

  JobClock clock;
  const bool done =
      ImageLoad(kPicture, TextFromUtf8(argv[1])) != 0 &&
      MarkLikeTheWorker(kPicture, kFont, T(TextRole::MarkText), kRed) &&
      ImageSave(kPicture, TextFromUtf8(argv[2]), kImageFormatJpeg, std::stoll(argv[3])) != 0;
  clock.Report();
  return done ? 0 : JobFailed(argv[0], std::string("could not mark ") + argv[1]);
}
