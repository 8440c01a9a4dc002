// Helpers for tests that run short assembled scripts and look at what they showed.
#pragma once

#include <string>
#include <vector>

#include "support/test_game.h"

namespace rs::test {

// Assembly that shows the value `expr` leaves on the stack in an information box (print to
// frame -1).
std::string show(const std::string& expr);

// The texts of the information boxes a script showed, then "FATAL: " and the report of a fatal
// error (with the code offset written as "*"), if one stopped it.
std::vector<std::string> shownBy(TestGame& game);

// The value `body` leaves as print shows it, or "FATAL: " and the report (offset as "*").
std::string valueOf(const std::string& body, const std::string& prelude = "");

// What valueOf gives for a fatal error at `place` with `message`.
std::string fatalAt(const std::string& place, const std::string& message);

// A script fragment and the value it must show.
struct ValueCase {
    const char* body;
    std::string expected;
};
// Checks every case with valueOf (each after `prelude`).
void expectValues(const std::vector<ValueCase>& cases, const std::string& prelude = "");

}  // namespace rs::test
