// Black-box test support: every test gets a scratch directory, writes its input files as
// bytes, runs the built programs there with standard input taken from a string, and reads
// back what they wrote.
#pragma once

#include <string>
#include <vector>

namespace zembu_test {

struct run_result {
  int status = -1;   // exit status; 128 + signal number when the program was killed
  std::string out;   // everything written to standard output
  std::string err;   // everything written to standard error
};

// The path of a built program in the build's bin directory.
std::string bin_path(const std::string& program);

// A scratch working directory, removed again with everything in it.
class scratch_dir {
 public:
  scratch_dir();
  ~scratch_dir();
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;

  // The working directory the programs run in.
  const std::string& path() const { return work_; }
  // The path of `name` inside the working directory.
  std::string file(const std::string& name) const;
  // Creates (or replaces) the file `name` with exactly these bytes.
  void write(const std::string& name, const std::string& bytes) const;
  // The bytes of the file `name`; empty when it does not exist.
  std::string read(const std::string& name) const;
  bool exists(const std::string& name) const;
  void mkdir(const std::string& name) const;
  void remove(const std::string& name) const;

  // Runs `program` (a path, or a name in the bin directory) with `args` in the working
  // directory, standard input from `input`. A program that runs longer than `seconds`
  // is killed.
  run_result run(const std::string& program, const std::vector<std::string>& args,
                 const std::string& input = "", unsigned seconds = 30) const;

 private:
  std::string root_;  // holds work/ and the captured streams
  std::string work_;
};

// Runs the per-sentence pipeline by hand in d (definitions compiled already): writes the
// sentence to in.txt and runs zembu1, zembu4, zembu2 and zembu3 as the front end does.
// Returns the engine's result file pass2; the filtered result is then in pass3.
std::string run_pipeline(const scratch_dir& d, const std::string& sentence);

// The lines of `text` (split at line feeds; a final line feed ends the last line).
std::vector<std::string> lines(const std::string& text);

// The full rule source: makedict over Debian's dictionary and the bundled rules.
struct generated_rules {
  std::string path;   // the generated rules.txt; empty when it cannot be had
  std::string log;    // what makedict wrote to standard error (its summary)
  std::string why;    // why there is no path (dictionary not installed, makedict failed)
};

// The full rule source, generated once for the build directory and shared by every test
// that needs it (also across test processes, which wait for each other); it is made again
// when the dictionary, makedict, the bundled rules or the overrides are newer.
generated_rules full_rules();

}  // namespace zembu_test
