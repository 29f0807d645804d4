// Definition file access shared by every rule-applying step of the engine: a definition
// file opens by its own name first and then under the definitions path.
#pragma once

#include <string>

#include "common/linereader.h"
#include "engine/settings.h"

namespace zembu {

// Opens `name` for reading, else definitions path + name; false when neither opens.
bool open_text_def(const engine_settings& st, linereader& file, const std::string& name);

}  // namespace zembu
