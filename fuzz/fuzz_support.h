// Support for the fuzz targets: a scratch working directory of the process's own, quiet
// standard streams, files written from fuzz input, and fuzz input cut into several files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zembu_fuzz {

// Makes a fresh scratch directory for this process (once) and makes it the working
// directory; standard input reads nothing and standard output goes nowhere. Returns its
// path (ending in "/").
const std::string& enter_scratch();

// Creates (or replaces) the file `name` with exactly these bytes.
void write_file(const std::string& name, std::string_view bytes);

// The bytes of the file `name`; empty when it does not open.
std::string read_file(const std::string& name);

// Removes every entry of the directory `dir` (not recursing), keeping the directory.
void clear_dir(const std::string& dir);

// Copies every regular file of `from` into the directory `to` (created when missing).
void copy_dir(const std::string& from, const std::string& to);

// The seed and data directory of the fuzz targets in the source tree.
std::string data_dir();

// The line that separates the files of one fuzz input.
constexpr std::string_view kSeparator = "\n@@@@\n";

// Cuts the input into at most `n` parts at the separator line; the last part takes the
// rest. Missing parts are absent from the result.
std::vector<std::string> split_parts(const uint8_t* data, size_t size, size_t n);

}  // namespace zembu_fuzz
