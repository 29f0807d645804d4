// The contents of text definition files kept for a run of the engine in another program's
// process: a file is read once and served from memory while it is still the same file
// (device, inode, size and modification time unchanged); files the engine writes itself
// (template copies) and large files are always read from disk.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "common/linereader.h"

namespace zembu::engine {

// Files larger than this are never kept (a lexicon of 300 000 entries is some 9 MB).
constexpr int64_t max_cached_file = 16 << 20;

struct cached_file {
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t changed_ns = 0;  // modification time
  std::shared_ptr<const std::string> bytes;
};

struct definition_cache {
  std::map<std::string, cached_file> files;
};

// Opens `path` as linereader::open does, from the cache when it holds the file as it is
// now, else from disk (keeping it when it qualifies). False when it does not open.
bool open_cached(definition_cache& cache, linereader& file, const std::string& path);

// The cache open_text_def uses while set; null (the default) reads every file from disk.
void use_definition_cache(definition_cache* cache);
definition_cache* current_definition_cache();

}  // namespace zembu::engine
