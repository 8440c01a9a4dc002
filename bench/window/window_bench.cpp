// The SDL presenter beside a minimal SDL loop doing the same upload and draw: a present of a full
// 800 x 600 update and of a 24 x 24 update, each a texture upload of the rectangle, a clear, a
// copy of the texture to the window and a present. Then the processor an idle game takes in a
// window at about 60 turns per second (a script that waits 16 ms a turn and changes nothing),
// beside an SDL loop that polls its events and sleeps 16 ms a turn. Run under a display:
//   scripts/with-xvfb.sh build-bench/rs_bench_window
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "asm/asm.h"
#include "platform/sdl/sdl_host.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"
#include "shell/main_loop.h"

namespace {

using namespace rs;

constexpr int32_t kW = 800;
constexpr int32_t kH = 600;
constexpr int32_t kSmall = 24;

// The screen buffer of a gradient picture (32-bit, rows bottom-up as the engine keeps them).
std::vector<uint8_t> screenBuffer() {
    std::vector<uint8_t> bytes(static_cast<size_t>(kW) * kH * 4);
    for (int32_t y = 0; y < kH; ++y) {
        for (int32_t x = 0; x < kW; ++x) {
            uint32_t p = 0xFF000000u | static_cast<uint32_t>(x * 255 / kW) << 16 |
                         static_cast<uint32_t>(y * 255 / kH) << 8 | 0x40u;
            std::memcpy(&bytes[(static_cast<size_t>(kH - 1 - y) * kW + x) * 4], &p, 4);
        }
    }
    return bytes;
}

std::unique_ptr<platform::sdl::SdlHost> makeHost(benchmark::State& st) {
    platform::sdl::SdlHostOptions o;
    o.filter = platform::ScaleFilter::Nearest;
    std::string error;
    auto host = platform::sdl::SdlHost::create(std::make_unique<platform::RealClock>(), o, &error);
    if (!host) st.SkipWithError(error.c_str());
    return host;
}

// The rectangle the 24 x 24 update covers on this iteration: it walks across the screen.
platform::ScreenRect smallRect(int64_t i) {
    int32_t x = static_cast<int32_t>((i * 7) % (kW - kSmall));
    int32_t y = static_cast<int32_t>((i * 5) % (kH - kSmall));
    return {x, y, x + kSmall - 1, y + kSmall - 1};
}

void presenterLoop(benchmark::State& st, bool full) {
    auto host = makeHost(st);
    if (!host) return;
    host->window().placeClient({100, 100, kW, kH});
    auto& presenter = host->sdlPresenter();
    presenter.paintBlack(kW, kH);
    std::vector<uint8_t> screen = screenBuffer();
    platform::ScreenPixels pixels{screen.data(), kW, kH};
    int64_t i = 0;
    for (auto _ : st) {
        presenter.transfer(pixels,
                           full ? platform::ScreenRect{0, 0, kW - 1, kH - 1} : smallRect(i++));
    }
}

// The peer: the same texture, uploads and draws written directly against SDL.
void sdlLoop(benchmark::State& st, bool full) {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_Window* w = SDL_CreateWindow("peer", 100, 100, kW, kH, 0);
    SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED);
    SDL_Texture* t =
        SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kW, kH);
    std::vector<uint32_t> picture(static_cast<size_t>(kW) * kH, 0xFF204060u);
    int64_t i = 0;
    for (auto _ : st) {
        platform::ScreenRect s = full ? platform::ScreenRect{0, 0, kW - 1, kH - 1} : smallRect(i++);
        SDL_Rect rect{s.left, s.top, s.right - s.left + 1, s.bottom - s.top + 1};
        SDL_UpdateTexture(t, &rect, &picture[static_cast<size_t>(s.top) * kW + s.left], kW * 4);
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        SDL_RenderCopy(r, t, nullptr, nullptr);
        SDL_RenderPresent(r);
    }
    SDL_DestroyTexture(t);
    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void BM_PresentFull800x600(benchmark::State& st) { presenterLoop(st, true); }
void BM_PeerSdlFull800x600(benchmark::State& st) { sdlLoop(st, true); }
void BM_Present24x24(benchmark::State& st) { presenterLoop(st, false); }
void BM_PeerSdl24x24(benchmark::State& st) { sdlLoop(st, false); }

double processSeconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

double wallSeconds() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

constexpr double kIdleSeconds = 3.0;

// An idle game: an 800 x 600 screen with a sprite, then a wait of 16 ms per turn for ever.
void BM_IdleGameCpu(benchmark::State& st) {
    auto host = makeHost(st);
    if (!host) return;
    shell::AppState app;
    Engine e(*host, app);
    tools::AsmResult code = tools::assemble(
        ".var r 1\n var r\n push 800\n push 600\n push 0\n push 4\n cmd screen\n =\n ;\n"
        " var r\n push 800\n push 600\n push 0\n push 0\n cmd frame\n =\n ;\n"
        " var r\n cmd spget\n =\n ;\n"
        " push 0\n push 1\n push 0\n push 0\n push 0\n push 0\n cmd spset\n ;\n"
        " push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n push 1\n pushf 0\n cmd spmove\n ;\n"
        "loop:\n push 16\n cmd wait\n ;\n jump loop\n");
    if (!code.ok()) {
        st.SkipWithError(("the idle script does not assemble: " + code.errors[0].message).c_str());
        return;
    }
    runtime::ScriptThread* t = e.threads.create(0);
    t->code.setOwned(code.bytes.data(), static_cast<int32_t>(code.bytes.size()));
    t->ended = 0;
    t->wake_time = e.engineTime();
    t->name = "bench";
    shell::runTurns(e, 10);  // the screen made and shown
    for (auto _ : st) {
        double cpu0 = processSeconds(), wall0 = wallSeconds();
        int64_t turns = 0;
        uint32_t lastWake = 0;
        // The main loop as the program runs it, ended in order after the measured time; a turn
        // of the script is counted when its wake time moves on.
        shell::runMainLoop(e, [&] {
            if (runtime::ScriptThread* main = e.threads.at(0);
                main && main->wake_time != lastWake) {
                lastWake = main->wake_time;
                ++turns;
            }
            if (wallSeconds() - wall0 >= kIdleSeconds) e.app.quitLevel = 1;
        });
        double wall = wallSeconds() - wall0;
        st.counters["cpu_percent"] = 100.0 * (processSeconds() - cpu0) / wall;
        st.counters["turns_per_second"] = turns / wall;
    }
}

// The peer: an SDL window whose loop polls its events and sleeps 16 ms a turn.
void BM_PeerSdlIdleCpu(benchmark::State& st) {
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    SDL_Window* w = SDL_CreateWindow("peer", 100, 100, kW, kH, 0);
    SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED);
    SDL_RenderClear(r);
    SDL_RenderPresent(r);
    for (auto _ : st) {
        double cpu0 = processSeconds(), wall0 = wallSeconds();
        int64_t turns = 0;
        while (wallSeconds() - wall0 < kIdleSeconds) {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            SDL_Delay(16);
            ++turns;
        }
        double wall = wallSeconds() - wall0;
        st.counters["cpu_percent"] = 100.0 * (processSeconds() - cpu0) / wall;
        st.counters["turns_per_second"] = turns / wall;
    }
    SDL_DestroyRenderer(r);
    SDL_DestroyWindow(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

BENCHMARK(BM_PresentFull800x600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerSdlFull800x600)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Present24x24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerSdl24x24)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IdleGameCpu)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PeerSdlIdleCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
