// A headless game for input tests: events posted as a window would send them (pointer positions
// in client pixels), delivered by the next pump, and the input commands run as a script runs
// them.
#pragma once

#include <initializer_list>

#include "display/scene_support.h"
#include "platform/headless_host.h"
#include "shell/input.h"

namespace rs::test {

// A script that waits 10 ms a turn, pumps the events once more in the middle of the turn, and
// shows what it reads: the turn, key A, the pointer, a typed character, the X reading, whether
// the window is active and the left latch's current click.
inline constexpr const char* kInputReader = R"(.var turn 1
.var k 2
.var x 3
.var y 4
.var c 5
.var j 6
.var a 7
.var l 8
 var turn
 push 0
 =
 ;
loop:
 push 10
 cmd wait
 ;
 cmd doevents
 ;
 var k
 push 321
 cmd input
 =
 ;
 var x
 push 0
 cmd mouse
 =
 ;
 var y
 push 1
 cmd mouse
 =
 ;
 var c
 cmd inkey
 =
 ;
 var j
 push 0
 cmd input
 =
 ;
 var a
 push -1
 cmd mouse
 =
 ;
 var l
 push 257
 cmd mouse
 =
 ;
 push -1
 push 0
 push 0
 push 0
 push 0
 push 0
 push 0
 pushs "\{turn} k\{k} p\{x},\{y} c\{c} j\{j} a\{a} l\{l}"
 cmd print
 ;
 var turn
 ++
 ;
 jump loop
)";

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
