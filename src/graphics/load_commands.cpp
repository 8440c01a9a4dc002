// Image loading commands: bmpload draws an image file into a frame at once, bmpload2 on a loader
// thread. With a negative frame number both first make a frame of the image's size.
#include <memory>
#include <span>
#include <string>

#include "builtins/dispatcher.h"
#include "graphics/async_loads.h"
#include "graphics/frame.h"
#include "graphics/frame_commands.h"
#include "graphics/image_loader.h"
#include "graphics/image_source.h"
#include "runtime/errors.h"
#include "runtime/format.h"
#include "shell/engine.h"

namespace rs::graphics {

namespace {

using runtime::ScriptThread;

// The arguments of bmpload and bmpload2, in script order.
struct LoadArguments {
    int32_t frame = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::string name;
    int32_t alphaA = 0;
    int32_t alphaB = 0;
    int32_t mode = 0;
};

bool fetchLoadArguments(Engine& e, ScriptThread& t, LoadArguments& a, const char* place) {
    if (!popInts(e, t, {&a.alphaA, &a.alphaB, &a.mode})) return false;
    runtime::Value* name = runtime::ngetvar(e, t);
    if (!name) return false;
    if (name->type != runtime::kString) {
        e.pool.free(name);
        runtime::scriptError(e, t, "引数が文字列になっていません", place);
        return false;
    }
    a.name = std::string(runtime::stringText(*name));
    e.pool.free(name);
    return popInts(e, t, {&a.frame, &a.x, &a.y});
}

// What a load needs once the target frame is known. The image may already have been read (to
// size a new frame); otherwise it is read by name.
struct LoadJob {
    Frame* frame = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t alphaA = 0;
    int32_t alphaB = 0;
    std::string fileName;
    ImageFileReader read;
    std::shared_ptr<uint8_t[]> bytes;
    int32_t size = 0;

    // Reads (if needed) and draws: what the load did to the frame.
    AsyncLoads::Report run() const {
        std::unique_ptr<uint8_t[]> own;
        const uint8_t* data = bytes.get();
        int32_t n = size;
        if (!data) {
            n = read(fileName, own);
            data = own.get();
        }
        AsyncLoads::Report report;
        report.frame = frame;
        if (n > 0 && data) {
            report.touched = true;
            report.area =
                drawImage(*frame, x, y, std::span<const uint8_t>(data, static_cast<size_t>(n)),
                          alphaA, alphaB);
        }
        return report;
    }
};

void imageLoad(Engine& e, ScriptThread& t, bool background) {
    const char* command = background ? "bmpload2" : "bmpload";
    LoadArguments a;
    if (!fetchLoadArguments(e, t, a, command)) return;

    LoadJob job;
    job.fileName = runtime::formatMessage("%s.bmp", a.name.c_str());
    job.read = imageFileReader(e);
    int32_t target = a.frame;
    if (a.frame < 0) {
        std::unique_ptr<uint8_t[]> bytes;
        int32_t size = job.read(job.fileName, bytes);
        if (size <= 0 || !bytes) {
            runtime::pushInteger(e, t, -1);
            return;
        }
        ImageSize s = imageSizeOf(std::span<const uint8_t>(bytes.get(), static_cast<size_t>(size)));
        int32_t slot = e.frames->firstFree();
        if (slot < 0) {
            runtime::scriptError(e, t, "フレーム枚数が最大数を越えました", "frame in bmpload");
            return;
        }
        int32_t depth = a.mode == 2 ? s.depth : e.frames->screenDepth;
        if (!createTableFrame(e, t, slot, s.width, s.height, depth, a.mode, "frame in bmpload",
                              command))
            return;
        if (!runtime::pushInteger(e, t, slot)) return;
        target = slot;
        job.bytes = std::move(bytes);
        job.size = size;
    }
    Frame* f = checkFrame(e, t, target, "bmpload");
    if (!f) return;
    f->alphaValid = (a.alphaA == 0 && a.alphaB == 0) ? 1 : 0;
    job.frame = f;
    job.x = a.x;
    job.y = a.y;
    job.alphaA = a.alphaA;
    job.alphaB = a.alphaB;

    if (background) {
        // The worker only reads the file and writes the frame's pixels; its change report is
        // queued for the main thread, and the busy count keeps the frame alive until then.
        f->busy.fetch_add(1, std::memory_order_acq_rel);
        FrameTable* table = e.frames.get();
        table->loads->start([table, job] {
            table->loads->finished(job.run());
            job.frame->busy.fetch_sub(1, std::memory_order_acq_rel);
        });
    } else {
        AsyncLoads::Report r = job.run();
        if (r.touched) f->dirty = 1;
        if (r.area) {
            frameChanged(*e.frames, *f, r.area->left, r.area->top);
            frameChanged(*e.frames, *f, r.area->right, r.area->bottom);
        }
    }
    e.frames->lastImage = statisticText(a.name);
}

void cmdBmpload(Engine& e, ScriptThread& t) { imageLoad(e, t, false); }
void cmdBmpload2(Engine& e, ScriptThread& t) { imageLoad(e, t, true); }

constexpr builtins::CommandEntry kImageLoadCommands[] = {
    {0x201, "bmpload", cmdBmpload},
    {0x226, "bmpload2", cmdBmpload2},
};

}  // namespace

void registerImageLoadCommands(builtins::CommandTable& table) { table.add(kImageLoadCommands); }

}  // namespace rs::graphics
