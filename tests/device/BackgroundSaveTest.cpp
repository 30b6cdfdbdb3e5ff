// The save of the settings off the main thread: it writes the copy it took, its outcome comes back
// as a message, and nothing written later can be overtaken by it.
#include "device/DeviceCoreHarness.h"

#include "model/ConfigPairs.h"
#include "model/FileProblems.h"
#include "model/ProfileFile.h"
#include "model/Text.h"

#include <gtest/gtest.h>

using namespace quorvik;
using device::Form;
using device::SettingGroup;
using test::DeviceCoreHarness;

namespace {

std::u16string savedName(int slot) {
    model::ProfileRecord reread;
    EXPECT_TRUE(model::ReadProfileRecord(reread, model::Config().ProfileSlotPath(slot)));
    return reread.PairValue(model::kPairProfileName);
}

} // namespace

TEST(BackgroundSave, TheDelayedSaveWritesTheCopyItTookWhileTheWindowGoesOn) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.loop.SetPendingWork(nullptr); // look at the save while it is written
    h.profile().SetPairValue(model::kPairProfileName, u"First");
    h.core->MarkGroup(SettingGroup::Wake);
    h.advance(20 + device::kDelayedSaveMs);
    EXPECT_TRUE(h.core->SaveInFlight()) << "the timer's handler returned before the files were written";
    EXPECT_FALSE(h.core->SavePending());

    // An edit made while the worker writes is not in its copy: it stays pending for the next save.
    h.profile().SetPairValue(model::kPairProfileName, u"Second");
    h.core->ScheduleSave();
    ASSERT_TRUE(h.loop.waitForPost());
    EXPECT_FALSE(h.core->SaveInFlight());
    EXPECT_EQ(savedName(0), u"First");
    EXPECT_TRUE(h.core->SavePending());
    h.advance(device::kDelayedSaveMs);
    ASSERT_TRUE(h.loop.waitForPost());
    EXPECT_EQ(savedName(0), u"Second");
    EXPECT_FALSE(h.core->SavePending());
}

TEST(BackgroundSave, AFailureComesBackToTheMainThreadAndTheSaveIsTriedAgain) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.loop.SetPendingWork(nullptr);
    std::vector<model::SaveFailure> told;
    model::SaveFailureHandler previous =
        model::SetSaveFailureHandler([&](const model::SaveFailure& failure) { told.push_back(failure); });
    // Slot 4's file lies in a folder that is not there.
    const std::string missing = h.dir.str() + "gone/default4.psf";
    model::Config().SetValue(model::kCfgProfileSlot0URL + 4, model::ToU16(missing));
    h.core->SaveSoon();
    EXPECT_TRUE(told.empty()) << "nothing is told before the worker is done";
    ASSERT_TRUE(h.loop.waitForPost());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].path, missing);
    EXPECT_EQ(told[0].problem.fault, model::FileFault::Missing);
    EXPECT_TRUE(h.core->SavePending()) << "the edits stay in memory";
    EXPECT_TRUE(h.loop.hasTimer(h.hwnd, device::kTimerDelayedSave)) << "and are saved again 10 s later";
    model::SetSaveFailureHandler(std::move(previous));
    model::ForgetSaveFailures();
}

TEST(BackgroundSave, TheEndWaitsForASaveUnderWayThenWritesTheNewest) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.loop.SetPendingWork(nullptr);
    h.profile().SetPairValue(model::kPairProfileName, u"Older");
    h.core->SaveSoon();
    h.profile().SetPairValue(model::kPairProfileName, u"Newest");
    h.core->ScheduleSave();
    h.core->Shutdown();
    EXPECT_FALSE(h.core->SaveInFlight());
    EXPECT_EQ(savedName(0), u"Newest") << "the older copy was written first, not over the newest";
}

TEST(BackgroundSave, ASaveThatKeepsFailingIsTriedLessAndLessOften) {
    DeviceCoreHarness h;
    h.start({Form::Wired});
    h.loop.SetPendingWork(nullptr);
    int failures = 0;
    model::SaveFailureHandler previous = model::SetSaveFailureHandler([&](const model::SaveFailure&) { ++failures; });
    model::Config().SetValue(model::kCfgProfileSlot0URL + 4, model::ToU16(h.dir.str() + "gone/default4.psf"));
    h.core->SaveSoon();
    ASSERT_TRUE(h.loop.waitForPost());
    ASSERT_EQ(failures, 1);
    // Tried again after 10 s, then 20 s, then 40 s.
    for (std::uint32_t wait : {10000u, 20000u, 40000u}) {
        h.advance(wait - 1);
        EXPECT_FALSE(h.core->SaveInFlight()) << "not yet, " << wait << " ms";
        h.advance(1);
        ASSERT_TRUE(h.core->SaveInFlight()) << wait << " ms";
        ASSERT_TRUE(h.loop.waitForPost());
    }
    EXPECT_EQ(failures, 4);
    // An edit is saved 10 s after it, as always; once the file saves, failures start over at 10 s.
    model::Config().SetValue(model::kCfgProfileSlot0URL + 4, model::ToU16(h.dir.str() + "default4.psf"));
    h.core->ScheduleSave();
    h.advance(device::kDelayedSaveMs);
    ASSERT_TRUE(h.loop.waitForPost());
    EXPECT_EQ(failures, 4);
    EXPECT_FALSE(h.core->SavePending());
    model::SetSaveFailureHandler(std::move(previous));
    model::ForgetSaveFailures();
}
