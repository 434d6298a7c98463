// The program's ends that a person holds: standard input, the terminal
// itself (/dev/tty, the console), where questions are asked even when
// standard input and output are pipes, and Ctrl-C.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace lanternbook::cli {

class Terminal {
public:
    virtual ~Terminal() = default;

    // Whether there is a terminal to ask on.
    [[nodiscard]] virtual bool can_ask() = 0;
    // `question` written on the terminal and the line typed back; none when
    // there is no terminal or its input ends, which ends the question's line.
    [[nodiscard]] virtual std::optional<std::string> ask(const std::string& question) = 0;
    // A line written on the terminal, when there is one.
    virtual void tell(const std::string& line) = 0;

    // Standard input is the terminal: reading it waits for someone to type.
    [[nodiscard]] virtual bool input_is_terminal() = 0;
    // Standard input to its end, but no more than `limit` bytes and one:
    // a longer text is cut there. False when it cannot be read.
    [[nodiscard]] virtual bool read_input(std::string& text, std::size_t limit) = 0;

    // Between these two an interrupt (Ctrl-C, SIGTERM) does not end the
    // program: it is only noted, for a long run to stop at a safe point.
    virtual void hold_interrupts() = 0;
    virtual void release_interrupts() = 0;
    [[nodiscard]] virtual bool interrupted() = 0;
};

// Interrupts held for a scope.
class HeldInterrupts {
public:
    explicit HeldInterrupts(Terminal& terminal) : terminal_(terminal) { terminal_.hold_interrupts(); }
    HeldInterrupts(const HeldInterrupts&) = delete;
    HeldInterrupts& operator=(const HeldInterrupts&) = delete;
    ~HeldInterrupts() { terminal_.release_interrupts(); }

private:
    Terminal& terminal_;
};

// A yes typed back to a question that defaults to no.
[[nodiscard]] bool is_yes(const std::optional<std::string>& answer);

}  // namespace lanternbook::cli
