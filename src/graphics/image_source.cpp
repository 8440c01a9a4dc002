#include "graphics/image_source.h"

#include "data/engine_resources.h"
#include "data/resource.h"

namespace rs::graphics {

ImageFileReader imageFileReader(Engine& e) {
    // The context is a copy: lookups keep no state between calls, so a loader thread can use it
    // while the main thread makes its own.
    data::ResourceContext ctx = data::resourceContext(e);
    return [ctx](std::string_view name, std::unique_ptr<uint8_t[]>& data) {
        return data::LoadResource(ctx, name, data);
    };
}

}  // namespace rs::graphics
