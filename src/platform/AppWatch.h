// What the desktop tells of the applications in use: the one with the focus, the ones with a
// window open, and the processes running. A profile rule names an application by one of the names
// gathered here; the rules themselves know nothing of where a name came from.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quorvik::platform {

struct AppIdentity {
    // Names a rule may use, most telling first: the executable's file name (or, for an
    // interpreter or a Windows program loader, the program it runs), the name the process was
    // started under, then both parts of the window class. Each at most once.
    std::vector<std::string> names; // UTF-8
    int pid = 0;                    // 0 where the window did not tell
    std::uint64_t started = 0;      // the process's start, in clock ticks since boot (0: unknown)
    std::uint32_t window = 0;       // the X window, 0 for a process without one
    std::string title;              // the window's title (UTF-8), for lists
    bool operator==(const AppIdentity&) const = default;
};

// Adds `name` to `names` unless it is empty or there already.
void AddName(std::vector<std::string>& names, std::string name);

enum class FocusKind {
    Window,  // a window of an application has the focus: `app` says which
    Nothing, // no window has it (the desktop itself)
    Unknown, // a window the watcher cannot see has it (a native Wayland window)
};

struct FocusReading {
    FocusKind kind = FocusKind::Nothing;
    AppIdentity app;
};

// The window with the focus, told as it changes.
class FocusWatcher {
public:
    virtual ~FocusWatcher() = default;
    // Starts telling `changed` each time the focus may have moved (never from Start itself).
    // False where the focus cannot be followed at all (no X server).
    virtual bool Start(std::function<void()> changed) = 0;
    virtual void Stop() = 0;
    // The focus now. A window's `app` holds its window class's names, its process id where the
    // window tells it, and its title.
    virtual FocusReading Current() = 0;
    // The applications with a window open now, in the desktop's order; empty where it is unknown.
    virtual std::vector<AppIdentity> OpenApplications() = 0;
};

// What a quick look at the processes could tell.
enum class QuickSight {
    NeedsListing, // something may have started: only Running() can tell
    Unchanged,    // nothing started or ended since the last look
    OnlyEnds,     // nothing started, and some processes ended
};

// The running processes of this user.
class ProcessWatcher {
public:
    virtual ~ProcessWatcher() = default;
    virtual std::vector<AppIdentity> Running() = 0;
    // Running() where it can be told without reading any process's files (nothing can have
    // started since the last look): quick enough for any thread, and it never waits. `running` is
    // filled unless the answer is NeedsListing.
    virtual QuickSight QuickLook(std::vector<AppIdentity>& running) {
        static_cast<void>(running);
        return QuickSight::NeedsListing;
    }
    // One process by its id; nothing when it is gone or another user's.
    virtual std::optional<AppIdentity> Process(int pid) = 0;
};

} // namespace quorvik::platform
