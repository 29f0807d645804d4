#include "engine/translat.h"

namespace zembu {

bool open_text_def(const engine_settings& st, linereader& file, const std::string& name) {
  if (file.open(name)) return true;
  return file.open(st.definitions_path.str() + name);
}

}  // namespace zembu
