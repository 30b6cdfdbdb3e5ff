// The program's command line: our options, Qt's options passed on untouched, and clear refusals.
#include "app/AppOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvik::app {
namespace {

using Args = std::vector<std::string>;

struct Good {
    Args args;
    AppAction action;
    VirtualMouse virtualMouse;
    std::string trace;
    std::string dataDir;
    bool exitAfterPaint;
    Args qt;
};

TEST(AppOptionsTest, AcceptedCommandLines) {
    const Good cases[] = {
        {{}, AppAction::Run, VirtualMouse::None, "", "", false, {}},
        {{"--virtual-mouse"}, AppAction::Run, VirtualMouse::Both, "", "", false, {}},
        {{"--virtual-mouse=wired"}, AppAction::Run, VirtualMouse::Wired, "", "", false, {}},
        {{"--virtual-mouse=receiver", "--trace", "t.txt"},
         AppAction::Run,
         VirtualMouse::Receiver,
         "t.txt",
         "",
         false,
         {}},
        {{"--trace=t.txt", "--virtual-mouse=both"}, AppAction::Run, VirtualMouse::Both, "t.txt", "", false, {}},
        {{"--data-dir", "/d", "--exit-after-paint"}, AppAction::Run, VirtualMouse::None, "", "/d", true, {}},
        {{"--data-dir=/d d"}, AppAction::Run, VirtualMouse::None, "", "/d d", false, {}},
        {{"--quit"}, AppAction::Quit, VirtualMouse::None, "", "", false, {}},
        {{"--quit", "-platform", "offscreen"},
         AppAction::Quit,
         VirtualMouse::None,
         "",
         "",
         false,
         {"-platform", "offscreen"}},
        {{"-h"}, AppAction::Help, VirtualMouse::None, "", "", false, {}},
        {{"--virtual-mouse", "--help", "--bogus"}, AppAction::Help, VirtualMouse::Both, "", "", false, {}},
        {{"--version"}, AppAction::Version, VirtualMouse::None, "", "", false, {}},
        // Qt's options with their values, in order, between ours; both dash forms and "=value".
        {{"-platform", "xcb", "--virtual-mouse", "-display", ":1", "-reverse", "--style", "fusion", "-style=fusion",
          "-qwindowgeometry", "800x600+0+0"},
         AppAction::Run,
         VirtualMouse::Both,
         "",
         "",
         false,
         {"-platform", "xcb", "-display", ":1", "-reverse", "--style", "fusion", "-style=fusion", "-qwindowgeometry",
          "800x600+0+0"}},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        AppOptions options;
        std::string error;
        ASSERT_TRUE(ParseAppArgs(c.args, options, error)) << error;
        EXPECT_EQ(options.action, c.action);
        EXPECT_EQ(options.virtualMouse, c.virtualMouse);
        EXPECT_EQ(options.traceFile, c.trace);
        EXPECT_EQ(options.dataDir, c.dataDir);
        EXPECT_EQ(options.exitAfterPaint, c.exitAfterPaint);
        EXPECT_EQ(options.qtArguments, c.qt);
    }
}

TEST(AppOptionsTest, RefusedCommandLinesSayWhatIsWrong) {
    const std::pair<Args, std::string> cases[] = {
        {{"--bogus"}, "unknown option --bogus"},
        {{"-x"}, "unknown option -x"},
        {{"-reverse=1"}, "unknown option -reverse=1"},
        {{"profile.psf"}, "unexpected argument \"profile.psf\""},
        {{"--virtual-mouse=usb"}, "--virtual-mouse takes wired, receiver or both"},
        {{"--trace", "t.txt"}, "--trace goes with --virtual-mouse only"},
        {{"--virtual-mouse", "--trace"}, "--trace needs a value"},
        {{"--data-dir="}, "--data-dir needs a value"},
        {{"-platform"}, "-platform needs a value"},
        {{"--quit", "--virtual-mouse"}, "--quit goes alone"},
        {{"--data-dir", "/d", "--quit"}, "--quit goes alone"},
        {{"--exit-after-paint", "--quit"}, "--quit goes alone"},
        {{"--quit", "--print-startup-ms"}, "--quit goes alone"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args.empty() ? "" : args.front());
        AppOptions options;
        std::string error;
        EXPECT_FALSE(ParseAppArgs(args, options, error));
        EXPECT_EQ(error.rfind(message, 0), 0u) << error;
    }
}

TEST(AppOptionsTest, StartupMeasurementOptionsGoTogether) {
    AppOptions options;
    std::string error;
    ASSERT_TRUE(ParseAppArgs({"--print-startup-ms", "--virtual-mouse", "--exit-after-paint"}, options, error));
    EXPECT_TRUE(options.printStartupMs);
    EXPECT_TRUE(options.exitAfterPaint);
    ASSERT_TRUE(ParseAppArgs({"--virtual-mouse"}, options, error));
    EXPECT_FALSE(options.printStartupMs);
}

TEST(AppOptionsTest, HelpNamesEveryOptionAndVersionTheProgram) {
    const std::string help = AppHelpText();
    for (const char* option : {"--virtual-mouse", "--trace", "--data-dir", "--quit", "--exit-after-paint",
                               "--print-startup-ms", "QUORVIK_START_NS", "--version", "--help", "-platform"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_EQ(AppVersionText().rfind("quorvik ", 0), 0u);
    EXPECT_GT(AppVersionText().size(), 8u);
}

} // namespace
} // namespace quorvik::app
