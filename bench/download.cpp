// What a download costs when nothing changed: every group marked, every command built and
// compared with its shadow, every macro button's image compared, nothing to write. That is the
// work of each edit that the mouse already holds (a click that lands where it was), so it should
// be next to nothing. Measured for the factory profile and for one whose seven buttons all play
// macros (three of them of 160 events), beside a whole-profile download that writes everything
// into a port that keeps nothing.
//
// Usage: bench_download [--iterations N]    (default 200,000)
#include "device/SettingsDownload.h"
#include "macro/MacroLibrary.h"
#include "model/LanguageTable.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

using namespace quorvik;
using Clock = std::chrono::steady_clock;

namespace {

// Nanoseconds per call of `run`, the best of five rounds of `iterations` calls.
double NanosPerOp(int iterations, const std::function<void()>& run) {
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        for (int i = 0; i < iterations; ++i)
            run();
        best = std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - start).count() / iterations);
    }
    return best;
}

void giveEveryButtonAMacro(model::ProfileRecord& profile) {
    auto& library = macro::TheMacroLibrary();
    for (int button = 0; button < model::kButtonCount; ++button) {
        macro::MacroLocation at = macro::MacroLocation::None();
        library.AddMacro(u"Bench " + std::u16string(1, char16_t(u'A' + button)), at);
        model::MacroRecord& record = *library.SlotAt(at)->macro;
        const int events = button < 3 ? 160 : 4 + button;
        for (int i = 0; i < events; ++i) {
            record.InsertAction(record.MacroActionNum, model::MakeKeyEvent(std::uint8_t(0x41 + i % 26), i % 2 == 1));
            record.InsertAction(record.MacroActionNum, model::MakeDelay(std::uint32_t(10 + i)));
        }
        record.MacroCommandActionNum = record.CountEvents();
        profile.AssignMacro(button, &record);
        profile.buttons[std::size_t(button)].MacroKeyIndex = record.MacroKeyIndex;
        profile.buttons[std::size_t(button)].Value = model::KeyFunctionCode{{model::kMacroFunctionClass, 0, 0}};
    }
}

void markAll(device::SettingsDownload& download) {
    for (auto group : {device::SettingGroup::Buttons, device::SettingGroup::SensorLighting, device::SettingGroup::Power,
                       device::SettingGroup::Wake})
        download.Mark(group);
}

} // namespace

int main(int argc, char** argv) {
    int iterations = 200000;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--iterations") == 0 && i + 1 < argc) {
            iterations = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_download [--iterations N]\n");
            return 2;
        }
    }
    device::SensorTables tables;
    tables.Rebuild(0x3325);
    device::SequenceNumber sequence;
    std::size_t written = 0;
    device::SettingsDownload download(
        {[&](const device::Report&) { return ++written, true; }, [] { return true; }, sequence}, tables);
    auto& library = macro::TheMacroLibrary();

    model::ProfileRecord factory;
    factory.ResetToFactory(0);
    download.Prime(factory, library);
    std::size_t steps = 0;
    const double plain = NanosPerOp(iterations, [&] {
        markAll(download);
        steps += download.Plan(factory, library).reports;
    });

    model::ProfileRecord macros = factory;
    giveEveryButtonAMacro(macros);
    download.Prime(macros, library);
    const double withMacros = NanosPerOp(iterations, [&] {
        markAll(download);
        steps += download.Plan(macros, library).reports;
    });

    const double whole = NanosPerOp(iterations / 100, [&] {
        download.ForceNextRun();
        device::DownloadPlan plan = download.Plan(macros, library);
        for (const device::DownloadStep& step : plan.steps)
            if (step.report)
                download.Write(plan, step);
    });

    std::printf("download with nothing changed, every group marked: factory profile %8.3f us\n", plain / 1000);
    std::printf("                              … seven macro buttons  %8.3f us\n", withMacros / 1000);
    std::printf("whole-profile download built and written (seven macro buttons, %zu reports each) %8.3f us\n",
                written / std::size_t(5 * (iterations / 100)), whole / 1000);
    std::printf("(goal: a download with nothing changed at most 1 us, with or without macro buttons)\n");
    return steps == 0 ? 0 : 1; // nothing may have been planned
}
