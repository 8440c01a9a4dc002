#include "builtins/script_check.h"

#include <gtest/gtest.h>

namespace rs::test {

namespace {

// The report's "(offset:name)" line with the offset replaced by "*": the offsets depend on the
// layout of each test script.
std::string hideOffset(std::string report) {
    size_t open = report.find("\n(");
    size_t colon = open == std::string::npos ? open : report.find(':', open);
    if (colon != std::string::npos) report.replace(open + 2, colon - open - 2, "*");
    return report;
}

}  // namespace

std::string show(const std::string& expr) {
    return " push -1\n push 0\n push 0\n push 0\n push 0\n push 0\n push 0\n" + expr +
           "\n cmd print\n ;\n";
}

std::vector<std::string> shownBy(TestGame& game) {
    std::vector<std::string> out;
    for (const auto& box : game.boxes()) {
        if (box.caption == "情報") out.push_back(box.text);
        if (box.caption == "ゲームシステムの致命的なエラー")
            out.push_back("FATAL: " + hideOffset(box.text));
    }
    return out;
}

std::string valueOf(const std::string& body, const std::string& prelude) {
    TestGame game;
    game.load(prelude + "\n" + show(body) + " cmd end\n");
    game.run(1000);
    std::vector<std::string> shown = shownBy(game);
    return shown.empty() ? "(nothing shown)" : shown.back();
}

std::string fatalAt(const std::string& place, const std::string& message) {
    return "FATAL: 場所：" + place + " in -1\n(*:test)\n症状：" + message + "\nゲームを停止します";
}

void expectValues(const std::vector<ValueCase>& cases, const std::string& prelude) {
    for (const ValueCase& c : cases) EXPECT_EQ(valueOf(c.body, prelude), c.expected) << c.body;
}

}  // namespace rs::test
