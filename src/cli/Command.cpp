#include "cli/Command.h"

#include <algorithm>
#include <iostream>

namespace vantrel::cli {

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> commands;
    return commands;
}

CommandRegistrar::CommandRegistrar(Command command) {
    const std::string name = command.name;
    Commands().emplace(name, std::move(command));
}

int UsageError(const std::string& message) {
    std::cerr << "vantrel-cli: " << message << "\n";
    return kExitUsage;
}

ArgParser::ArgParser(const std::vector<std::string>& args, std::vector<std::string> valueOptions,
                     std::vector<std::string> flagOptions) {
    flagOptions.push_back("--help");
    flagOptions.push_back("-h");
    auto contains = [](const std::vector<std::string>& list, const std::string& s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPositional || arg.size() < 2 || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPositional = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (contains(valueOptions, name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error_ = "オプション " + name + " には値が必要です";
                    return;
                }
                value = args[++i];
            }
            values_[name] = value;
        } else if (contains(flagOptions, name) && !inlineValue) {
            flags_.push_back(name);
        } else {
            error_ = "不明なオプションです: " + arg;
            return;
        }
    }
}

bool ArgParser::Flag(const std::string& name) const {
    return std::find(flags_.begin(), flags_.end(), name) != flags_.end();
}

std::string ArgParser::Value(const std::string& name, const std::string& fallback) const {
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

bool ArgParser::HasValue(const std::string& name) const {
    return values_.count(name) != 0;
}

} // namespace vantrel::cli
