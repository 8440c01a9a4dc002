#include "data/engine_resources.h"

#include <mutex>

#include "platform/host.h"
#include "runtime/errors.h"
#include "shell/engine.h"

namespace rs::data {

namespace {

// Loader threads may report at the same time as the main thread.
std::mutex& alertMutex() {
    static std::mutex m;
    return m;
}

}  // namespace

ResourceContext resourceContext(Engine& e) {
    ResourceContext ctx;
    ctx.programFolder = e.app.programFolder;
    ctx.dataFolder = e.app.dataFolderPrefix;
    ctx.paths = &e.paths;
    Engine* engine = &e;
    ctx.log = [engine](std::string_view title, std::string_view text) {
        runtime::appendErrorLog(*engine, title, text);
    };
    ctx.alert = [engine](std::string_view text, std::string_view caption) {
        std::lock_guard<std::mutex> lock(alertMutex());
        platform::MessageBoxRequest box;
        box.text = text;
        box.caption = caption;
        box.buttons = platform::BoxButtons::Ok;
        box.ownedByWindow = false;
        engine->host.messageBoxes().show(box);
    };
    return ctx;
}

}  // namespace rs::data
