#include "runtime/script_loader.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::runtime {

bool loadScript(Engine& e, ScriptThread& t, std::string_view name) {
    t.code.release();
    std::string path = "obj\\" + std::string(name) + ".o";
    auto host = e.paths.findExisting(e.app.programFolder, path);
    if (!host) return false;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return false;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX)) return false;
    t.code.setOwned(bytes.data(), static_cast<int32_t>(bytes.size()));
    t.ended = 0;
    t.wake_time = e.engineTime();
    t.name = std::string(name);
    t.line = -1;
    return true;
}

}  // namespace rs::runtime
