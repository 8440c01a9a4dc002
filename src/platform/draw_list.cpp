#include "platform/draw_list.h"

namespace rs::platform {

int64_t uploadBytes(const DrawList& list) {
    int64_t n = 0;
    for (const TextureUpload& u : list.uploads)
        n += static_cast<int64_t>(u.image.texels.size()) * 4;
    return n;
}

}  // namespace rs::platform
