// The line reader of the compiler and the filters: a text file (or, for tests, a string)
// read line by line or byte by byte. A line is cut to a width and the rest of a longer
// line is skipped, so a reader never holds more than one bounded line.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "common/bstring.h"

namespace zembu {

class linereader {
 public:
  // A reader that is not open: it is at its end at once.
  linereader() = default;
  // A reader over the bytes of `text`, as if they were a file.
  explicit linereader(std::string text);
  // A reader over shared bytes (kept by a cache, say), without a copy of them.
  explicit linereader(std::shared_ptr<const std::string> text);
  ~linereader();
  linereader(linereader&& other) noexcept;
  linereader& operator=(linereader&& other) noexcept;
  linereader(const linereader&) = delete;
  linereader& operator=(const linereader&) = delete;

  // Opens the file `path` for reading; false when it does not open or is a directory.
  bool open(const std::string& path);
  // Reads from an already open stream (standard input, say) without owning it.
  void attach(FILE* f);
  // Closes the file; the reader is then at its end.
  void close();
  bool is_open() const { return file_ != nullptr || in_memory_; }

  // The next byte (0..255), or -1 at the end.
  int get();
  // Gives the byte just read back, so that the next get() returns it again.
  void unget(int c);
  // True when no byte is left.
  bool eof();
  // Positions the reader at byte `offset` from the start; false if that fails.
  bool seek(long offset);

  // Reads the next line without its line feed (and without a carriage return just before
  // it). Bytes beyond `width` are skipped. False at the end, when no line is left; a last
  // line without a line feed is still a line.
  bool readline(std::string& line, size_t width = kShortWidth);

 private:
  FILE* file_ = nullptr;
  bool owned_ = false;
  bool in_memory_ = false;
  char* line_buf_ = nullptr;  // getline's buffer, reused for every line of the file
  size_t line_cap_ = 0;
  std::shared_ptr<const std::string> text_;
  size_t pos_ = 0;
};

// Writes a text file line by line; every line ends in a line feed. Failed writes (a full
// disk, say) are remembered and reported by close().
class linewriter {
 public:
  linewriter() = default;
  ~linewriter();
  linewriter(linewriter&& other) noexcept;
  linewriter& operator=(linewriter&& other) noexcept;
  linewriter(const linewriter&) = delete;
  linewriter& operator=(const linewriter&) = delete;

  // Creates (truncates) the file `path`; false when it cannot be created. A symbolic link
  // under the name is never followed (the create fails), and a regular file with further
  // hard links is replaced instead of written through.
  bool create(const std::string& path);
  // Opens the file `path` for appending, creating it when absent; links as for create().
  bool append(const std::string& path);
  // Creates the engine's own scratch file `path` anew: whatever stands under that name (a
  // symbolic link too) is removed first, and the new file is made without following links.
  bool create_own(const std::string& path);
  // Appends to `path` like append(), but refuses a symbolic link instead of writing
  // through it.
  bool append_own(const std::string& path);
  // Creates the file `path`, which must not exist yet: a name that is taken (by a link
  // too) makes it fail, with error() EEXIST.
  bool create_new(const std::string& path);
  // Closes the file; false when it was not open or a write or the close failed.
  bool close();
  // Hands the lines written so far to the system; the failure of a write is noted.
  void flush();
  bool is_open() const { return file_ != nullptr; }
  // The errno of the first failure since the last create or append (0: none): the open
  // itself, a write or the close.
  int error() const { return error_; }

  // Writes s and a line feed. Does nothing when the file is not open.
  void writeline(std::string_view s);
  // Writes s without a line end.
  void write(std::string_view s);

 private:
  // Closes any open file and forgets earlier failures.
  void reset();
  // Takes `f` as the open file; notes a failure when it is null.
  bool opened(FILE* f);
  // Notes a failure with the current errno (the first one counts).
  void fail();

  FILE* file_ = nullptr;
  bool ok_ = true;
  int error_ = 0;
};

// Deletes the file `path`; a missing file is not an error.
void delete_file(const std::string& path);

// True when the file `path` exists and opens for reading.
bool file_exists(const std::string& path);

}  // namespace zembu
