// The version and build date that every program shows in its banner.
#pragma once

#include <string>

namespace zembu {

constexpr char kVersion[] = "1.6";

// The build date, "yyyy-mm-dd".
std::string build_date();

// A program's one-line banner: "<name> version 1.6 (yyyy-mm-dd)".
std::string version_banner(const std::string& program);

}  // namespace zembu
