// Loading compiled scripts ("obj\<name>.o") into threads, through the load cache.
#pragma once

#include <string_view>

namespace rs {
class Engine;
}

namespace rs::runtime {

struct ScriptThread;
struct CodeImage;

// The built-in name of the first script.
constexpr const char* kFirstScriptName = "雪花ノ記憶";

// loadScript: releases the thread's code image, then opens "obj\<name>.o" through the load cache
// (shared with the cache while it has room, the thread's own copy after that). On success the
// thread is ready to run from offset 0: not ended, due now, named, no line. A missing or empty file
// fails and leaves the thread without code.
bool loadScript(Engine& e, ScriptThread& t, std::string_view name);

// unloadScript: frees the image's bytes unless the cache owns them.
void unloadScript(CodeImage& image);

}  // namespace rs::runtime
