#include "compiler/staged_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zembu {

namespace {

// A temporary name beside `path`: `path` followed by the process number, a serial
// number of the run and ".tmp", so that it names no definition file.
std::string temporary_name(const std::string& path, unsigned serial) {
  return path + "." + std::to_string(::getpid()) + "-" + std::to_string(serial) + ".tmp";
}

}  // namespace

staged_files::~staged_files() { discard(); }

void staged_files::note(const std::string& path, int error) {
  if (failure_.empty()) failure_ = path + ": " + std::strerror(error != 0 ? error : EIO);
}

linewriter& staged_files::begin(const std::string& path) {
  auto earlier = latest_.find(path);
  if (earlier != latest_.end()) {
    file& old = *files_[earlier->second];
    old.out.close();
    if (!old.temp.empty()) std::remove(old.temp.c_str());
    old.temp.clear();
  }
  latest_[path] = files_.size();
  auto f = std::make_unique<file>();
  f->path = path;
  // A taken temporary name (a leftover of another run, a link) is passed over.
  for (int tries = 0; tries < 100; ++tries) {
    f->temp = temporary_name(path, serial_++);
    if (f->out.create_new(f->temp) || f->out.error() != EEXIST) break;
  }
  if (!f->out.is_open()) {
    note(path, f->out.error());
    f->temp.clear();  // nothing of ours to remove
  }
  open_.push_back(files_.size());
  files_.push_back(std::move(f));
  return files_.back()->out;
}

std::string staged_files::staged_name(const std::string& path) const {
  auto f = latest_.find(path);
  return f == latest_.end() ? std::string() : files_[f->second]->temp;
}

void staged_files::close_all() {
  for (size_t i : open_) {
    file& f = *files_[i];
    if (f.out.is_open() && !f.out.close()) note(f.path, f.out.error());
  }
  open_.clear();
}

bool staged_files::commit() {
  close_all();
  // A directory under a final name would make its rename fail half-way through.
  for (const auto& f : files_) {
    struct stat info;
    if (!f->temp.empty() && lstat(f->path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      note(f->path, EISDIR);
    }
  }
  if (failed()) {
    discard();
    return false;
  }
  for (auto& f : files_) {
    if (f->temp.empty()) continue;  // dropped for a later start of the same path
    if (std::rename(f->temp.c_str(), f->path.c_str()) != 0) {
      note(f->path, errno);
      discard();
      return false;
    }
    f->temp.clear();
  }
  files_.clear();
  latest_.clear();
  open_.clear();
  return true;
}

void staged_files::discard() {
  for (auto& f : files_) {
    f->out.close();
    if (!f->temp.empty()) std::remove(f->temp.c_str());
  }
  files_.clear();
  latest_.clear();
  open_.clear();
}

}  // namespace zembu
