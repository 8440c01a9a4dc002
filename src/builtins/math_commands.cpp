// Math commands: absolute value and sign, rounding, the real functions, random numbers and a few
// integer utilities. Real functions compute in double precision and round the result to the
// 32-bit real that scripts hold.
#include <cmath>
#include <cstdint>

#include "builtins/dispatcher.h"
#include "builtins/random.h"
#include "runtime/errors.h"
#include "runtime/fetch.h"
#include "runtime/script_thread.h"
#include "shell/engine.h"

namespace rs::builtins {

namespace {

using runtime::ScriptThread;
using runtime::Value;

int32_t realToInteger32(double d) {
    // A conversion through a 64-bit integer whose low word is kept: values beyond 32 bits wrap
    // modulo 2^32. Beyond the 64-bit range (and NaN) the conversion has no value and gives 0.
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0)) return 0;
    return static_cast<int32_t>(
        static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(d))));
}

// The argument of abs and sgn: an integer or a real, taken as it is. Null after an error.
Value* numberArgument(Engine& e, ScriptThread& t, const char* place) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return nullptr;
    if (v->type != runtime::kInteger && v->type != runtime::kReal) {
        e.pool.free(v);
        runtime::scriptError(e, t, "引数が数値ではありません", place);
        return nullptr;
    }
    return v;
}

void cmdAbs(Engine& e, ScriptThread& t) {
    Value* v = numberArgument(e, t, "abs");
    if (!v) return;
    if (v->type == runtime::kInteger) {
        // The most negative integer has no positive counterpart and stays as it is.
        int32_t i = v->u.i;
        runtime::pushInteger(e, t, i < 0 ? static_cast<int32_t>(0u - static_cast<uint32_t>(i)) : i);
    } else {
        runtime::pushReal(e, t, std::fabs(v->u.r));
    }
    e.pool.free(v);
}

void cmdSgn(Engine& e, ScriptThread& t) {
    Value* v = numberArgument(e, t, "sgn");
    if (!v) return;
    if (v->type == runtime::kInteger) {
        int32_t i = v->u.i;
        runtime::pushInteger(e, t, i > 0 ? 1 : i < 0 ? -1 : 0);
    } else {
        float r = v->u.r;
        runtime::pushReal(e, t, r > 0.0f ? 1.0f : r < 0.0f ? -1.0f : 0.0f);
    }
    e.pool.free(v);
}

// Commands of one real argument and an integer result.
template <double (*F)(double)>
void toInteger(Engine& e, ScriptThread& t) {
    double x = runtime::ngetreal(e, t);
    if (t.failed) return;
    runtime::pushInteger(e, t, realToInteger32(F(x)));
}

double ceilOf(double x) { return std::ceil(x); }
double floorOf(double x) { return std::floor(x); }
double roundOf(double x) { return std::floor(x + 0.5); }

void pushRounded(Engine& e, ScriptThread& t, double result) {
    runtime::pushReal(e, t, static_cast<float>(result));
}

// Commands of one real argument and a real result.
template <double (*F)(double)>
void realFunction(Engine& e, ScriptThread& t) {
    double x = runtime::ngetreal(e, t);
    if (t.failed) return;
    pushRounded(e, t, F(x));
}

double sqrtOf(double x) { return std::sqrt(x); }
double sinOf(double x) { return std::sin(x); }
double cosOf(double x) { return std::cos(x); }
double tanOf(double x) { return std::tan(x); }
double asinOf(double x) { return std::asin(x); }
double acosOf(double x) { return std::acos(x); }
double atanOf(double x) { return std::atan(x); }
double expOf(double x) { return std::exp(x); }
double logOf(double x) { return std::log(x); }
// Pi as the nearest 32-bit real, widened.
double timesPi(double x) { return x * 3.1415927410125732; }

// Two real arguments a, b (b is on top of the stack).
template <double (*F)(double, double)>
void realFunction2(Engine& e, ScriptThread& t) {
    double b = runtime::ngetreal(e, t);
    if (t.failed) return;
    double a = runtime::ngetreal(e, t);
    if (t.failed) return;
    pushRounded(e, t, F(a, b));
}

double atan2Of(double y, double x) { return std::atan2(y, x); }
double powOf(double a, double b) { return std::pow(a, b); }

void cmdSeed(Engine& e, ScriptThread& t) {
    int32_t seed = runtime::ngetint(e, t);
    if (t.failed) return;
    e.randomState = static_cast<uint32_t>(seed);
}

void cmdRandomReal(Engine& e, ScriptThread& t) {
    double x = runtime::ngetreal(e, t);
    if (t.failed) return;
    double draw = nextRandom(e.randomState);
    pushRounded(e, t, draw * x * (1.0 / 32768.0));
}

void cmdRnd(Engine& e, ScriptThread& t) {
    Value* v = runtime::ngetvar(e, t);
    if (!v) return;
    if (v->type != runtime::kInteger) {
        e.pool.free(v);
        runtime::scriptError(e, t, "引数が整数になっていません", "rnd");
        return;
    }
    int32_t n = v->u.i;
    e.pool.free(v);
    // A bound of 0 or less draws nothing: the result is 0 without touching the sequence.
    int32_t result = 0;
    if (n > 0) {
        int32_t high = nextRandom(e.randomState);
        int32_t low = nextRandom(e.randomState);
        result = ((high << 15) + low) % n;
    }
    runtime::pushInteger(e, t, result);
}

// Takes `N` integer arguments; out[0] is the first in script order.
template <int N>
bool integerArguments(Engine& e, ScriptThread& t, int32_t (&out)[N]) {
    for (int i = N - 1; i >= 0; --i) {
        out[i] = runtime::ngetint(e, t);
        if (t.failed) return false;
    }
    return true;
}

void cmdNear(Engine& e, ScriptThread& t) {
    int32_t a[6];
    if (!integerArguments(e, t, a)) return;
    int64_t dx = static_cast<int64_t>(a[0]) - a[2];
    int64_t dy = static_cast<int64_t>(a[1]) - a[3];
    if (dx < 0) dx = -dx;
    if (dy < 0) dy = -dy;
    runtime::pushInteger(e, t, dx < a[4] && dy < a[5] ? 1 : 0);
}

void cmdRgb(Engine& e, ScriptThread& t) {
    int32_t c[3];
    if (!integerArguments(e, t, c)) return;
    for (int32_t& v : c) v = v < 0 ? 0 : v > 255 ? 255 : v;
    runtime::pushInteger(e, t, (c[0] << 16) + (c[1] << 8) + c[2]);
}

// Commands kept for old scripts: they take their arguments and do nothing.
void cmdNop3Zero(Engine& e, ScriptThread& t) {
    int32_t a[3];
    if (integerArguments(e, t, a)) runtime::pushInteger(e, t, 0);
}

void cmdNop6(Engine& e, ScriptThread& t) {
    int32_t a[6];
    integerArguments(e, t, a);
}

void cmdNop3(Engine& e, ScriptThread& t) {
    int32_t a[3];
    integerArguments(e, t, a);
}

constexpr CommandEntry kMathCommands[] = {
    {128, "abs", cmdAbs},
    {129, "sgn", cmdSgn},
    {130, "ceil", toInteger<ceilOf>},
    {131, "floor", toInteger<floorOf>},
    {132, "round", toInteger<roundOf>},
    {133, "sqrt", realFunction<sqrtOf>},
    {134, "sin", realFunction<sinOf>},
    {135, "cos", realFunction<cosOf>},
    {136, "tan", realFunction<tanOf>},
    {137, "asin", realFunction<asinOf>},
    {138, "acos", realFunction<acosOf>},
    {139, "atan", realFunction<atanOf>},
    {140, "atan2", realFunction2<atan2Of>},
    {141, "exp", realFunction<expOf>},
    {142, "log", realFunction<logOf>},
    {143, "pi", realFunction<timesPi>},
    {144, "srnd", cmdSeed},
    {145, "frnd", cmdRandomReal},
    {146, "rnd", cmdRnd},
    {149, "near", cmdNear},
    {150, "pow", realFunction2<powOf>},
    {159, "rgb", cmdRgb},
    {160, "nop160", cmdNop3Zero},
    {161, "nop161", cmdNop6},
    {162, "nop162", cmdNop3},
};

}  // namespace

void registerMathCommands(CommandTable& table) { table.add(kMathCommands); }

}  // namespace rs::builtins
