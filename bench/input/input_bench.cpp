// The event pump's cost per turn: with no events, and with 1,000 input events queued (key
// presses and releases, pointer moves, clicks, typed characters, the wheel). Over the headless
// host (the engine's own handling), the same while recording, and in an SDL window where the
// events go through SDL's queue and the translation to the engine's events, beside a loop that
// only takes the same events out of SDL's queue.
//   scripts/with-xvfb.sh build-bench/rs_bench_input
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/headless_host.h"
#include "platform/sdl/sdl_host.h"
#include "shell/engine.h"
#include "shell/input.h"
#include "shell/input_log.h"

namespace {

using namespace rs;
using platform::InputEvent;

constexpr int kEvents = 1000;

// Event i of a turn's 1,000: a mix as a busy player gives it.
InputEvent eventNumber(int i) {
    switch (i % 8) {
        case 0: return InputEvent::key(true, 'A' + i % 26);
        case 1: return InputEvent::key(false, 'A' + (i - 1) % 26);
        case 2:
        case 3: return InputEvent::pointer(i % 640, (i * 7) % 480);
        case 4: return InputEvent::button(true, platform::MouseButton::Left, i % 640, 10);
        case 5: return InputEvent::button(false, platform::MouseButton::Left, i % 640, 10);
        case 6: return InputEvent::character(0x82A0 + i % 80);
        default: return InputEvent::wheel(false, 120);
    }
}

void headlessPump(benchmark::State& st, int events, bool record) {
    platform::HeadlessHost host(std::make_unique<platform::VirtualClock>(), nullptr);
    shell::AppState app;
    Engine e(host, app);
    if (record) {
        std::string error;
        shell::startRecording(e, shell::InputRecorder::open("/dev/null", &error));
    }
    for (auto _ : st) {
        st.PauseTiming();
        for (int i = 0; i < events; ++i) host.headlessEvents().post(eventNumber(i));
        // Every pump is a turn of its own, as the main loop's pumps are.
        host.clock().sleep(16);
        e.input->characterCount = 0;
        st.ResumeTiming();
        e.pumpMessages();
    }
}

void BM_HeadlessPumpNoEvents(benchmark::State& st) { headlessPump(st, 0, false); }
void BM_HeadlessPump1000Events(benchmark::State& st) { headlessPump(st, kEvents, false); }
void BM_HeadlessPump1000EventsRecorded(benchmark::State& st) { headlessPump(st, kEvents, true); }

// SDL's form of event i, for the game's window.
SDL_Event sdlEvent(int i, Uint32 window) {
    SDL_Event e{};
    switch (i % 4) {
        case 0:
        case 1:
            e.type = i % 4 == 0 ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.windowID = window;
            e.key.keysym.scancode = static_cast<SDL_Scancode>(SDL_SCANCODE_A + i % 26);
            e.key.keysym.sym = SDLK_a + i % 26;
            break;
        case 2:
            e.type = SDL_MOUSEMOTION;
            e.motion.windowID = window;
            e.motion.x = i % 640;
            e.motion.y = (i * 7) % 480;
            break;
        default:
            e.type = SDL_TEXTINPUT;
            e.text.windowID = window;
            SDL_snprintf(e.text.text, sizeof e.text.text, "%s", "\xE3\x81\x82");
            break;
    }
    return e;
}

void sdlPump(benchmark::State& st, int events) {
    platform::sdl::SdlHostOptions o;
    std::string error;
    auto host =
        platform::sdl::SdlHost::create(std::make_unique<platform::VirtualClock>(), o, &error);
    if (!host) {
        st.SkipWithError(error.c_str());
        return;
    }
    shell::AppState app;
    Engine e(*host, app);
    host->window().placeClient({100, 100, 640, 480});
    e.pumpMessages();
    Uint32 id = host->sdlWindow().id();
    for (auto _ : st) {
        st.PauseTiming();
        for (int i = 0; i < events; ++i) {
            SDL_Event ev = sdlEvent(i, id);
            SDL_PushEvent(&ev);
        }
        host->clock().sleep(16);
        e.input->characterCount = 0;
        st.ResumeTiming();
        e.pumpMessages();
    }
}

void BM_SdlPumpNoEvents(benchmark::State& st) { sdlPump(st, 0); }
void BM_SdlPump1000Events(benchmark::State& st) { sdlPump(st, kEvents); }

// The peer: the same events taken out of SDL's queue and dropped.
void BM_PeerSdlPoll1000Events(benchmark::State& st) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        st.SkipWithError(SDL_GetError());
        return;
    }
    SDL_Window* w = SDL_CreateWindow("peer", 100, 100, 640, 480, 0);
    Uint32 id = SDL_GetWindowID(w);
    for (auto _ : st) {
        st.PauseTiming();
        for (int i = 0; i < kEvents; ++i) {
            SDL_Event ev = sdlEvent(i, id);
            SDL_PushEvent(&ev);
        }
        st.ResumeTiming();
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) benchmark::DoNotOptimize(ev);
    }
    SDL_DestroyWindow(w);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

BENCHMARK(BM_HeadlessPumpNoEvents)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeadlessPump1000Events)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HeadlessPump1000EventsRecorded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlPumpNoEvents)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SdlPump1000Events)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PeerSdlPoll1000Events)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
