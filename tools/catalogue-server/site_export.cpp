#include "site_export.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "server_platform.h"

namespace catalogue {
namespace fs = std::filesystem;
namespace {

// Creating files is mostly system time, which spreads over the cores; more threads than
// that only contend. Each writer takes a whole folder at a time: two threads adding
// names to one folder wait for each other (twice the system time on Linux).
constexpr unsigned kMaxWriters = 8;
constexpr fs::perms kPublished = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;

bool WriteBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

// Without a check of its own the caller only waits for the writers.
bool StopAsked(const StopCheck& stop) {
  if (stop) return stop();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return false;
}

std::string ParentOf(std::string_view path) { return std::string(path.substr(0, path.rfind('/'))); }

class SiteWriter {
 public:
  SiteWriter(const CatalogueRoutes& routes, const fs::path& folder)
      : routes_(routes), folder_(folder), documents_(routes.DocumentPaths()) {
    GroupByFolder();
  }

  bool Run(const StopCheck& stop, SiteSummary& summary, std::string& error) {
    if (MakeFolders()) WriteInParallel(stop);
    summary = {files_, Pictures().size(), bytes_};
    error = error_;
    return !failed_;
  }

 private:
  const std::vector<Picture>& Pictures() const { return routes_.Pictures().pictures; }

  std::string PicturePath(const Picture& picture) const {
    return std::string(kPicturesPath) + "/" + picture.path;
  }

  // Jobs below documents_.size() are documents, the others pictures. The largest folders
  // go first, so that the writers end at about the same time.
  void GroupByFolder() {
    std::map<std::string, std::vector<size_t>> byFolder;
    for (size_t job = 0; job < documents_.size(); ++job)
      byFolder[ParentOf(documents_[job])].push_back(job);
    for (size_t i = 0; i < Pictures().size(); ++i)
      byFolder[ParentOf(PicturePath(Pictures()[i]))].push_back(documents_.size() + i);
    for (auto& [folder, jobs] : byFolder) folders_.push_back({folder, std::move(jobs)});
    std::stable_sort(folders_.begin(), folders_.end(), [](const Folder& a, const Folder& b) {
      return a.jobs.size() > b.jobs.size();
    });
  }

  // Every folder up front, parents before children, so that the writers only create files.
  bool MakeFolders() {
    std::set<std::string> sorted;
    for (const Folder& folder : folders_) sorted.insert(folder.path);
    for (const std::string& folder : sorted) {
      std::error_code ec;
      fs::create_directories(SiteFile(folder_, folder), ec);
      if (ec) return Fail("cannot make the folder " + folder + ": " + ec.message());
    }
    return true;
  }

  void WriteInParallel(const StopCheck& stop) {
    unsigned count = std::clamp(std::thread::hardware_concurrency(), 2u, kMaxWriters);
    std::atomic<unsigned> running{count};
    std::vector<std::thread> writers;
    for (unsigned i = 0; i < count; ++i) {
      writers.emplace_back([this, &running] {
        WriteFiles();
        --running;
      });
    }
    while (running > 0) {
      if (StopAsked(stop)) Fail("stopped on request");
    }
    for (std::thread& writer : writers) writer.join();
  }

  void WriteFiles() {
    for (size_t next; !failed_ && (next = nextFolder_++) < folders_.size();) {
      for (size_t job : folders_[next].jobs) {
        if (failed_) return;
        bool written = job < documents_.size() ? WriteDocument(documents_[job])
                                               : WritePicture(Pictures()[job - documents_.size()]);
        if (written) ++files_;
      }
    }
  }

  bool WriteDocument(const std::string& path) {
    HttpAnswer answer = routes_.Answer("GET", path, "");
    if (answer.status != 200) return Fail("no page for " + path);
    if (!WriteBytes(SiteFile(folder_, path), answer.body)) return Fail("cannot write " + path);
    bytes_ += answer.body.size();
    return true;
  }

  bool WritePicture(const Picture& picture) {
    std::string path = PicturePath(picture);
    fs::path file = SiteFile(folder_, path);
    if (picture.bytes) {
      if (!WriteBytes(file, *picture.bytes)) return Fail("cannot write " + path);
      bytes_ += picture.bytes->size();
      return true;
    }
    std::error_code ec;
    fs::copy_file(picture.file, file, ec);
    // The copy keeps the picture's own permissions; a web server's workers, which run as
    // a user of their own, must read it as they read the files written here.
    if (!ec) fs::permissions(file, kPublished, fs::perm_options::add, ec);
    uintmax_t size = ec ? 0 : fs::file_size(file, ec);
    if (ec) return Fail("cannot copy " + platform::Utf8Path(picture.file) + ": " + ec.message());
    bytes_ += size;
    return true;
  }

  bool Fail(const std::string& message) {
    std::lock_guard<std::mutex> hold(errorLock_);
    if (!failed_) error_ = message;
    failed_ = true;
    return false;
  }

  const CatalogueRoutes& routes_;
  const fs::path folder_;
  const std::vector<std::string> documents_;
  struct Folder {
    std::string path;
    std::vector<size_t> jobs;
  };
  std::vector<Folder> folders_;
  std::atomic<size_t> nextFolder_{0};
  std::atomic<size_t> files_{0};
  std::atomic<uintmax_t> bytes_{0};
  std::atomic<bool> failed_{false};
  std::mutex errorLock_;
  std::string error_;
};

}  // namespace

fs::path SiteFile(const fs::path& folder, std::string_view path) {
  if (path == "/") return folder / kIndexFile;
  return folder / platform::PathFromUtf8(path.substr(path.starts_with('/') ? 1 : 0));
}

bool WriteSite(const CatalogueRoutes& routes, const fs::path& folder, const StopCheck& stop,
               SiteSummary& summary, std::string& error) {
  return SiteWriter(routes, folder).Run(stop, summary, error);
}

}  // namespace catalogue
