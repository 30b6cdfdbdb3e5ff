// What the command lines of quorvik and quorvikctl share: how an option carries its value, and the
// virtual mouse option with its forms.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quorvik::app {

enum class VirtualMouse { None, Wired, Receiver, Both };

// Whether `arg` is the option `name`, alone or as "name=value".
bool IsOption(const std::string& arg, const std::string& name);

// The value of option `name`, which args[i] is: what follows "=" there, or else the next argument
// (`i` then moves on to it). False, with a message in `error`, when no argument follows.
bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, const std::string& name, std::string& out,
                     std::string& error);

// "--virtual-mouse" (both forms) or "--virtual-mouse=wired|receiver|both", which `arg` is, into
// `form`; false, with a message in `error`, for any other form.
bool TakeVirtualMouse(const std::string& arg, VirtualMouse& form, std::string& error);

} // namespace quorvik::app
