// The interpreter's speed on two loops, beside Lua 5.4 running the same loops: an arithmetic
// loop (x = x + i * 3; i = i + 1 while i < N) and a loop that calls a built-in command on every
// turn (x = abs(i); i = i + 1). Both report loop turns per second; the interpreter also reports
// the byte-code instructions it ran per second.
#include <benchmark/benchmark.h>
#include <lua.hpp>

#include <memory>
#include <string>

#include "asm/asm.h"
#include "platform/clock.h"
#include "platform/headless_host.h"
#include "runtime/script_thread.h"
#include "runtime/variables.h"
#include "shell/engine.h"
#include "shell/main_loop.h"

namespace {

using namespace rs;

constexpr int64_t kTurns = 1000000;

// The loop bodies in the assembler's text form (the counter i is a global, so that it can be
// checked after the thread ended), and the instructions one turn runs.
const char* kArithmeticBody = " var x\n var x\n var i\n push 3\n *\n +\n =\n ;\n";
constexpr int kArithmeticBodyOps = 8;
const char* kCommandBody = " var x\n var i\n cmd abs\n =\n ;\n";
constexpr int kCommandBodyOps = 5;
// i = i + 1, then back to the top while i < N: 11 instructions.
constexpr int kLoopOps = 11;

std::string loopScript(const char* body) {
    return ".var i 1\n.var x 2\n var i\n global\n var i\n push 0\n =\n ;\n var x\n push 0\n =\n "
           ";\nloop:\n" +
           std::string(body) + " var i\n var i\n push 1\n +\n =\n ;\n pushl loop\n var i\n push " +
           std::to_string(kTurns) + "\n >=\n ifgoto\n cmd end\n";
}

void interpreterLoop(benchmark::State& st, const char* body, int bodyOps) {
    tools::AsmResult code = tools::assemble(loopScript(body));
    if (!code.ok()) {
        st.SkipWithError(("the loop does not assemble: " + code.errors[0].message).c_str());
        return;
    }
    for (auto _ : st) {
        st.PauseTiming();
        platform::HeadlessHost host(std::make_unique<platform::VirtualClock>(), nullptr);
        shell::AppState app;
        auto e = std::make_unique<Engine>(host, app);
        runtime::ScriptThread* t = e->threads.create(0);
        t->code.setOwned(code.bytes.data(), static_cast<int32_t>(code.bytes.size()));
        t->ended = 0;
        t->wake_time = e->engineTime();
        t->name = "bench";
        st.ResumeTiming();
        if (!shell::runTurns(*e, 1000000000)) {
            st.SkipWithError("the loop did not end");
            break;
        }
        st.PauseTiming();
        // The loop ran every turn: its counter ends at N.
        runtime::Variable* counter = e->globals.find(1);
        if (!counter || counter->elements.empty() || !counter->elements[0] ||
            counter->elements[0]->u.i != kTurns) {
            st.SkipWithError("the loop did not run every turn");
            break;
        }
        e.reset();
        st.ResumeTiming();
    }
    st.counters["turns/s"] = benchmark::Counter(static_cast<double>(kTurns),
                                                benchmark::Counter::kIsIterationInvariantRate);
    st.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(kTurns) * (bodyOps + kLoopOps),
                           benchmark::Counter::kIsIterationInvariantRate);
}

void BM_InterpreterArithmeticLoop(benchmark::State& st) {
    interpreterLoop(st, kArithmeticBody, kArithmeticBodyOps);
}
void BM_InterpreterCommandLoop(benchmark::State& st) {
    interpreterLoop(st, kCommandBody, kCommandBodyOps);
}

// The peer: the same loops in Lua 5.4, compiled once, the time of running them.
void luaLoop(benchmark::State& st, const std::string& body) {
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    std::string src =
        "local abs = math.abs\nreturn function()\n local x, i = 0, 0\n"
        " while i < " +
        std::to_string(kTurns) + " do\n" + body + "  i = i + 1\n end\n return x\nend\n";
    if (luaL_dostring(L, src.c_str()) != LUA_OK) {
        st.SkipWithError(lua_tostring(L, -1));
        lua_close(L);
        return;
    }
    for (auto _ : st) {
        lua_pushvalue(L, -1);
        if (lua_pcall(L, 0, 1, 0) != LUA_OK) {
            st.SkipWithError(lua_tostring(L, -1));
            break;
        }
        benchmark::DoNotOptimize(lua_tointeger(L, -1));
        lua_pop(L, 1);
    }
    lua_close(L);
    st.counters["turns/s"] = benchmark::Counter(static_cast<double>(kTurns),
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void BM_LuaArithmeticLoop(benchmark::State& st) { luaLoop(st, "  x = x + i * 3\n"); }
void BM_LuaCommandLoop(benchmark::State& st) { luaLoop(st, "  x = abs(i)\n"); }

BENCHMARK(BM_InterpreterArithmeticLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuaArithmeticLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InterpreterCommandLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LuaCommandLoop)->Unit(benchmark::kMillisecond);

}  // namespace
