#include "app/CommandLine.h"

namespace quorvik::app {

bool IsOption(const std::string& arg, const std::string& name) {
    return arg == name || (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0);
}

bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& out,
                     std::string& error) {
    const std::string& arg = args[i];
    if (arg.size() > name.size() && arg[name.size()] == '=') {
        out = arg.substr(name.size() + 1);
        return true;
    }
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
    }
    out = args[++i];
    return true;
}

bool TakeVirtualMouse(const std::string& arg, VirtualMouse& form, std::string& error) {
    const std::string name = "--virtual-mouse";
    if (arg == name) {
        form = VirtualMouse::Both;
        return true;
    }
    const std::string value = arg.substr(name.size() + 1);
    if (value == "wired")
        form = VirtualMouse::Wired;
    else if (value == "receiver")
        form = VirtualMouse::Receiver;
    else if (value == "both")
        form = VirtualMouse::Both;
    else {
        error = "--virtual-mouse takes wired, receiver or both, not \"" + value + "\"";
        return false;
    }
    return true;
}

} // namespace quorvik::app
