// Loading compiled scripts ("obj\<name>.o") into threads.
#pragma once

#include <string_view>

namespace rs {
class Engine;
}

namespace rs::runtime {

struct ScriptThread;

// The built-in name of the first script.
constexpr const char* kFirstScriptName = "雪花ノ記憶";

// loadScript: reads "obj\<name>.o" into the thread's code image (the old image is released
// first). On success the thread is ready to run from offset 0: not ended, due now, named, no line.
// A missing or empty file fails.
bool loadScript(Engine& e, ScriptThread& t, std::string_view name);

}  // namespace rs::runtime
