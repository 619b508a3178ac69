#include "cli/options.h"

#include <algorithm>
#include <utility>

#include "cli/scenery_source.h"

namespace vantor::cli {

OptionParser& OptionParser::flag(const std::string& name, bool& on) {
    options_.push_back({name, false, [&on](const std::string&) -> Problem {
                            on = true;
                            return std::nullopt;
                        }});
    return *this;
}

OptionParser& OptionParser::text(const std::string& name, std::function<Problem(const std::string&)> take) {
    options_.push_back({name, true, std::move(take)});
    return *this;
}

OptionParser& OptionParser::text(const std::string& name, std::string& value) {
    return text(name, [&value](const std::string& v) -> Problem {
        value = v;
        return std::nullopt;
    });
}

OptionParser& OptionParser::text(const std::string& name, std::optional<std::string>& value) {
    return text(name, [&value](const std::string& v) -> Problem {
        value = v;
        return std::nullopt;
    });
}

OptionParser& OptionParser::wholeNumber(const std::string& name, std::function<void(long long)> store, long long least,
                                        std::optional<long long> most, std::string message) {
    std::string range = most ? " from " + std::to_string(least) + " to " + std::to_string(*most)
                             : ", " + std::to_string(least) + " or more";
    std::string above = name + " needs a whole number" + (most ? range : std::string());
    if (message.empty()) message = name + " needs a whole number" + range;
    return text(name, [=, store = std::move(store)](const std::string& v) -> Problem {
        const std::optional<long long> n = parseWholeNumber(v);
        if (!n || *n < least) return message;
        if (most && *n > *most) return above;
        store(*n);
        return std::nullopt;
    });
}

OptionParser& OptionParser::wholeNumber(const std::string& name, std::optional<long long>& value, long long least,
                                        std::optional<long long> most, std::string message) {
    return wholeNumber(
        name, [&value](long long n) { value = n; }, least, most, std::move(message));
}

OptionParser& OptionParser::number(const std::string& name, std::function<bool(double)> refuses, std::string message,
                                   std::function<void(double, const std::string&)> store) {
    return text(name,
                [refuses = std::move(refuses), message = std::move(message),
                 store = std::move(store)](const std::string& v) -> Problem {
                    const std::optional<double> n = parseNumber(v);
                    if (!n || refuses(*n)) return message;
                    store(*n, v);
                    return std::nullopt;
                });
}

OptionParser& OptionParser::operand(std::function<Problem(const std::string&)> take) {
    operand_ = std::move(take);
    return *this;
}

const OptionParser::Option* OptionParser::find(const std::string& name) const {
    const auto it = std::find_if(options_.begin(), options_.end(), [&](const Option& o) { return o.name == name; });
    return it == options_.end() ? nullptr : &*it;
}

Problem OptionParser::parse(const std::vector<std::string>& args) const {
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& a = args[k];
        if (const Option* option = find(a)) {
            // A value may itself start with "-": "--out -" names a file "-".
            if (!option->takesValue) {
                if (Problem p = option->take({})) return p;
                continue;
            }
            if (k + 1 >= args.size()) return a + " needs a value";
            if (Problem p = option->take(args[++k])) return p;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option '" + a + "'";
        } else if (operand_) {
            if (Problem p = operand_(a)) return p;
        }
    }
    return std::nullopt;
}

std::function<Problem(const std::string&)> oneScenery(std::string& scenery) {
    return [&scenery](const std::string& a) -> Problem {
        // An empty name counts as none given, so that a later one is taken.
        if (!scenery.empty()) return "more than one SCENERY given";
        scenery = a;
        return std::nullopt;
    };
}

bool asksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; });
}

}  // namespace vantor::cli
