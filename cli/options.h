// The command line of one vantor-cli command: each command declares its
// options once, with what each takes, and the parser walks the arguments.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor::cli {

// An error message for the usage, or nothing when the argument was taken.
using Problem = std::optional<std::string>;

class OptionParser {
public:
    // An option that stands alone and sets `on`.
    OptionParser& flag(const std::string& name, bool& on);

    // An option followed by a text value; `take` stores it or says why not.
    OptionParser& text(const std::string& name, std::function<Problem(const std::string&)> take);
    OptionParser& text(const std::string& name, std::string& value);
    OptionParser& text(const std::string& name, std::optional<std::string>& value);

    // An option followed by a whole number of at least `least` (and at most
    // `most`, when given). A text that is no whole number, or one below
    // `least`, gives `message`; by default "NAME needs a whole number, LEAST
    // or more" (with a most: "... from LEAST to MOST", which is also what a
    // number above the most gives).
    OptionParser& wholeNumber(const std::string& name, std::function<void(long long)> store, long long least,
                              std::optional<long long> most = std::nullopt, std::string message = {});
    OptionParser& wholeNumber(const std::string& name, std::optional<long long>& value, long long least,
                              std::optional<long long> most = std::nullopt, std::string message = {});

    // An option followed by a number; one that is none, or that `refuses`,
    // gives `message`. `store` gets the number and the text as given.
    OptionParser& number(const std::string& name, std::function<bool(double)> refuses, std::string message,
                         std::function<void(double, const std::string&)> store);

    // Arguments that are no option (they do not start with "-"), in order;
    // without this they are passed over.
    OptionParser& operand(std::function<Problem(const std::string&)> take);

    // Takes the arguments in order; the first problem ends the walk.
    Problem parse(const std::vector<std::string>& args) const;

private:
    struct Option {
        std::string name;
        bool takesValue;
        std::function<Problem(const std::string&)> take;  // the value, or "" for a flag
    };
    const Option* find(const std::string& name) const;

    std::vector<Option> options_;
    std::function<Problem(const std::string&)> operand_;
};

// The operand of a command that takes one SCENERY: the first is kept, a
// second one is refused.
std::function<Problem(const std::string&)> oneScenery(std::string& scenery);

// Whether any argument asks for the help.
bool asksForHelp(const std::vector<std::string>& args);

}  // namespace vantor::cli
