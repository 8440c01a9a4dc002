#include "runtime/script_loader.h"

#include <string>

#include "data/engine_resources.h"
#include "data/load_cache.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

void unloadScript(CodeImage& image) { image.release(); }

bool loadScript(Engine& e, ScriptThread& t, std::string_view name) {
    unloadScript(t.code);
    std::string path = "obj\\" + std::string(name) + ".o";
    data::ResourceBuffer buffer;
    if (!data::OpenCachedResource(*e.loadCache, data::resourceContext(e), buffer, path) ||
        buffer.size <= 0) {
        return false;
    }
    if (buffer.cached) {
        t.code.setShared(buffer.data, buffer.size);
    } else {
        t.code.adopt(std::move(buffer.owned), buffer.size);
    }
    t.ended = 0;
    t.wake_time = e.engineTime();
    t.name = std::string(name);
    t.line = -1;
    return true;
}

}  // namespace rs::runtime
