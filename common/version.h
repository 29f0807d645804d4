// The version and build date that every program shows in its banner.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace zembu {

constexpr char kVersion[] = "1.6";

// The build date, "yyyy-mm-dd".
std::string build_date();

// A program's one-line banner: "<name> version 1.6 (yyyy-mm-dd)".
std::string version_banner(const std::string& program);

// The options every program and tool answers before it touches a file: when the first
// argument is "--help", writes `usage` (a line end is added when missing), when it is
// "--version", writes the banner of `program`, both to `out`. True when it answered; the
// caller then exits with status 0.
bool answer_standard_option(const std::vector<std::string>& args, const std::string& program,
                            const std::string& usage, FILE* out = stdout);

}  // namespace zembu
