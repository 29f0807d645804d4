#include "common/linereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zembu {

linereader::linereader(std::string text)
    : in_memory_(true), text_(std::make_shared<const std::string>(std::move(text))) {}

linereader::linereader(std::shared_ptr<const std::string> text)
    : in_memory_(text != nullptr), text_(std::move(text)) {}

linereader::~linereader() {
  close();
  std::free(line_buf_);
}

linereader::linereader(linereader&& other) noexcept { *this = std::move(other); }

linereader& linereader::operator=(linereader&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::exchange(other.file_, nullptr);
    owned_ = std::exchange(other.owned_, false);
    in_memory_ = std::exchange(other.in_memory_, false);
    std::free(line_buf_);
    line_buf_ = std::exchange(other.line_buf_, nullptr);
    line_cap_ = std::exchange(other.line_cap_, 0);
    text_ = std::move(other.text_);
    pos_ = std::exchange(other.pos_, 0);
  }
  return *this;
}

bool linereader::open(const std::string& path) {
  close();
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return false;  // no text
  } else if (errno == ENOENT || errno == ENOTDIR) {
    return false;  // nothing to open under the name
  }
  file_ = std::fopen(path.c_str(), "rb");
  owned_ = file_ != nullptr;
  if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  return file_ != nullptr;
}

void linereader::attach(FILE* f) {
  close();
  file_ = f;
  owned_ = false;
}

void linereader::close() {
  if (file_ && owned_) std::fclose(file_);
  file_ = nullptr;
  owned_ = false;
  in_memory_ = false;
  text_.reset();
  pos_ = 0;
}

int linereader::get() {
  if (file_) return getc_unlocked(file_);  // the programs are single-threaded
  if (in_memory_ && pos_ < text_->size()) return static_cast<unsigned char>((*text_)[pos_++]);
  return -1;
}

void linereader::unget(int c) {
  if (c < 0) return;
  if (file_) {
    std::ungetc(c, file_);
  } else if (in_memory_ && pos_ > 0) {
    --pos_;
  }
}

bool linereader::eof() {
  int c = get();
  if (c < 0) return true;
  unget(c);
  return false;
}

bool linereader::seek(long offset) {
  if (offset < 0) return false;
  if (file_) return std::fseek(file_, offset, SEEK_SET) == 0;
  if (!in_memory_) return false;
  const size_t size = text_->size();
  pos_ = static_cast<size_t>(offset) < size ? static_cast<size_t>(offset) : size;
  return true;
}

bool linereader::readline(std::string& line, size_t width) {
  line.clear();
  if (file_) {
    ssize_t n = getline(&line_buf_, &line_cap_, file_);
    if (n <= 0) return false;
    size_t len = static_cast<size_t>(n);
    if (line_buf_[len - 1] == '\n') {
      --len;
      if (len > 0 && line_buf_[len - 1] == '\r') --len;
    }
    line.assign(line_buf_, len < width ? len : width);
    return true;
  }
  if (!in_memory_ || pos_ >= text_->size()) return false;
  // As from a file: up to the line feed, a carriage return right before it dropped.
  const std::string& text = *text_;
  const size_t end = text.find('\n', pos_);
  size_t length = (end == std::string::npos ? text.size() : end) - pos_;
  if (end != std::string::npos && length > 0 && text[end - 1] == '\r') --length;
  line.assign(text, pos_, length < width ? length : width);
  pos_ = end == std::string::npos ? text.size() : end + 1;
  return true;
}

linewriter::~linewriter() { close(); }

linewriter::linewriter(linewriter&& other) noexcept { *this = std::move(other); }

linewriter& linewriter::operator=(linewriter&& other) noexcept {
  if (this != &other) {
    close();
    file_ = std::exchange(other.file_, nullptr);
    ok_ = std::exchange(other.ok_, true);
    error_ = std::exchange(other.error_, 0);
  }
  return *this;
}

void linewriter::fail() {
  if (ok_) error_ = errno != 0 ? errno : EIO;
  ok_ = false;
}

namespace {

// Opens `path` with the given flags, never through a symbolic link.
FILE* open_nofollow(const std::string& path, int flags, const char* mode) {
  int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, mode);
  if (!f) ::close(fd);
  return f;
}

// Opens `path` for writing without following a symbolic link (a link under the name
// makes the open fail). A regular file that has other names too (a hard link) is not
// written through either: it is replaced by a new file. Devices and pipes are written
// as they are. `truncate` empties an existing regular file: an empty one is left as it
// is, one of ours that holds data is replaced by a new empty file with its permissions.
// (Emptying a file in place, even an empty one, makes ext4 write what follows to disk as
// soon as the file is closed: a disk write for every file a pass program makes.)
FILE* open_output(const std::string& path, bool truncate) {
  const int mode = O_WRONLY | (truncate ? 0 : O_APPEND);
  int fd = ::open(path.c_str(), mode | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  struct stat info;
  if (fstat(fd, &info) != 0) {
    ::close(fd);
    return nullptr;
  }
  const bool regular = S_ISREG(info.st_mode);
  const bool linked = regular && info.st_nlink > 1;
  const bool holds_data = regular && truncate && info.st_size > 0 && info.st_uid == geteuid();
  bool emptied = !regular || !truncate || info.st_size == 0;
  if (linked || holds_data) {
    if (unlink(path.c_str()) == 0) {
      ::close(fd);
      fd = ::open(path.c_str(), mode | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
      if (fd < 0) return nullptr;
      if (!linked && fchmod(fd, info.st_mode & 0777) != 0) {
        ::close(fd);
        return nullptr;
      }
      emptied = true;
    } else if (linked) {
      ::close(fd);
      return nullptr;
    }
  }
  if (!emptied && ftruncate(fd, 0) != 0) {
    ::close(fd);
    return nullptr;
  }
  FILE* f = fdopen(fd, truncate ? "wb" : "ab");
  if (!f) ::close(fd);
  return f;
}

}  // namespace

bool linewriter::opened(FILE* f) {
  file_ = f;
  if (!file_) fail();
  return file_ != nullptr;
}

bool linewriter::create(const std::string& path) {
  reset();
  return opened(open_output(path, true));
}

bool linewriter::append(const std::string& path) {
  reset();
  return opened(open_output(path, false));
}

bool linewriter::create_own(const std::string& path) {
  reset();
  std::remove(path.c_str());
  return opened(open_nofollow(path, O_WRONLY | O_CREAT | O_EXCL, "wb"));
}

bool linewriter::append_own(const std::string& path) {
  reset();
  return opened(open_nofollow(path, O_WRONLY | O_CREAT | O_APPEND, "ab"));
}

bool linewriter::create_new(const std::string& path) {
  reset();
  return opened(open_nofollow(path, O_WRONLY | O_CREAT | O_EXCL, "wb"));
}

void linewriter::reset() {
  close();
  ok_ = true;
  error_ = 0;
}

bool linewriter::close() {
  if (!file_) return false;
  errno = 0;
  if (std::fclose(file_) != 0) fail();
  file_ = nullptr;
  return ok_;
}

void linewriter::flush() {
  if (!file_) return;
  errno = 0;
  if (std::fflush(file_) != 0) fail();
}

void linewriter::writeline(std::string_view s) {
  if (!file_) return;
  errno = 0;
  if (!s.empty() && std::fwrite(s.data(), 1, s.size(), file_) != s.size()) fail();
  if (std::fputc('\n', file_) == EOF) fail();
}

void linewriter::write(std::string_view s) {
  if (!file_ || s.empty()) return;
  errno = 0;
  if (std::fwrite(s.data(), 1, s.size(), file_) != s.size()) fail();
}

void delete_file(const std::string& path) { std::remove(path.c_str()); }

bool file_exists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

}  // namespace zembu
