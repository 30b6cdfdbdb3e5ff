// What the window's Applications dialog needs from the program around it: the rules themselves
// are model::Rules(); the program saves them and follows them, and knows which applications have
// a window open now.
#pragma once

#include <string>
#include <vector>

namespace quorvik::ui {

// An application with a window open now, as the dialog offers it for a new rule.
struct OpenApplication {
    std::u16string name;  // what a rule for it names: its program's file name, else its window class
    std::u16string title; // what the list shows beside the name (a window title; may be empty)
};

class AppRulesPort {
public:
    virtual ~AppRulesPort() = default;
    // model::Rules() changed in the window (a rule added or removed, switching turned on or off):
    // the program saves the rules and follows them from now on.
    virtual void AppRulesChanged() = 0;
    // The applications with a window open now, each once, in a stable order; empty where the
    // desktop does not tell.
    virtual std::vector<OpenApplication> OpenApplications() = 0;
};

} // namespace quorvik::ui
