// The output files of one compiler run, written under temporary names beside their final
// names and put in place together at the end: a run either replaces every file it wrote
// or, when a create or a write failed, none of them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/linereader.h"

namespace zembu {

class staged_files {
 public:
  staged_files() = default;
  // Removes every temporary file that was not put in place.
  ~staged_files();
  staged_files(const staged_files&) = delete;
  staged_files& operator=(const staged_files&) = delete;

  // Starts the file `path` anew: creates a new temporary file in the same directory
  // (exclusively, never through a link) and returns its writer. A file of the same path
  // started earlier in the run is dropped. When the temporary file cannot be created the
  // failure is noted and the writer is not open.
  linewriter& begin(const std::string& path);
  // The temporary name under which `path` is being written in this run; empty when it
  // was not started or its temporary file could not be created.
  std::string staged_name(const std::string& path) const;
  // Closes every writer that is still open, noting a failed write or close.
  void close_all();
  // True once a create, write or close has failed.
  bool failed() const { return !failure_.empty(); }
  // The first failure as "<path>: <reason>", naming the final path; empty when none.
  const std::string& failure() const { return failure_; }
  // Closes every writer; when nothing failed, renames every file into place in the order
  // the files were started and returns true. Otherwise (or when a final name is a
  // directory, or a rename fails) removes the temporary files left and returns false.
  bool commit();
  // Removes every temporary file; nothing is put in place.
  void discard();

 private:
  struct file {
    std::string path;  // the final name
    std::string temp;  // the temporary name it is written under; empty once dropped
    linewriter out;
  };

  void note(const std::string& path, int error);

  std::vector<std::unique_ptr<file>> files_;   // in the order started
  std::map<std::string, size_t> latest_;      // path -> its latest entry in files_
  std::vector<size_t> open_;                  // entries started since the last close_all
  std::string failure_;
  unsigned serial_ = 0;  // numbers the temporary names of this run
};

}  // namespace zembu
