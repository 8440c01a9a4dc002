// A headless game for input tests: events posted as a window would send them (pointer positions
// in client pixels), delivered by the next pump, and the input commands run as a script runs
// them.
#pragma once

#include <initializer_list>

#include "display/scene_support.h"
#include "platform/headless_host.h"
#include "shell/input.h"

namespace rs::test {

struct InputGame {
    TestGame game;
    Engine& e = game.engine();
    platform::HeadlessHost& host = dynamic_cast<platform::HeadlessHost&>(e.host);
    platform::HeadlessWindow& window = host.headlessWindow();
    shell::InputState& in = *e.input;

    // Delivers the events as the next pump does.
    void post(std::initializer_list<platform::InputEvent> events) {
        for (const auto& ev : events) host.headlessEvents().post(ev);
        e.pumpMessages();
    }
    void post(platform::WindowEvent event) {
        host.headlessEvents().post(event);
        e.pumpMessages();
    }
    void press(int32_t key) { post({platform::InputEvent::key(true, key)}); }
    void release(int32_t key) { post({platform::InputEvent::key(false, key)}); }
    // Runs a command as a script does, with integer arguments in script order.
    int32_t run(const char* name, std::initializer_list<Arg> args = {}) {
        return command(e, name, args);
    }
    int32_t input(int32_t n) { return run("input", {n}); }
    int32_t key(int32_t vk) { return input(256 + vk); }
    int32_t mouse(int32_t selector) { return run("mouse", {selector}); }
};

}  // namespace rs::test
