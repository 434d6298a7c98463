// A terminal for commands run in the test process: the answers typed and
// the input piped are set beforehand, and what was asked and told is kept.
#pragma once

#include <optional>
#include <string>

#include "cli/terminal.h"

namespace lanternbook::testing {

class ScriptedTerminal : public cli::Terminal {
public:
    bool can_ask() override { return is_terminal; }
    std::optional<std::string> ask(const std::string& question) override {
        asked += question;
        return is_terminal ? answer : std::nullopt;
    }
    void tell(const std::string& line) override { told += line + "\n"; }
    bool input_is_terminal() override { return input_on_terminal; }
    bool read_input(std::string& text, std::size_t limit) override {
        text = input.substr(0, limit + 1);
        return true;
    }
    void hold_interrupts() override { ++holds; }
    void release_interrupts() override { ++releases; }
    bool interrupted() override { return interrupt; }

    bool is_terminal = true;
    std::optional<std::string> answer = std::string("y");
    bool input_on_terminal = false;
    std::string input;
    bool interrupt = false;
    std::string asked;
    std::string told;
    int holds = 0;
    int releases = 0;
};

}  // namespace lanternbook::testing
