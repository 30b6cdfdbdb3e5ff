#include "macro/MacroLibrary.h"
#include "macro/MacroActionText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace quorvik::macro;
namespace model = quorvik::model;

namespace {

// Adds a folder at depth 0 and the given macros inside it; returns the folder's location.
MacroLocation folderWithMacros(MacroLibrary& lib, const std::u16string& name,
                               std::initializer_list<const char16_t*> macros) {
    MacroLocation cur = MacroLocation::None();
    EXPECT_EQ(lib.AddFolder(name, cur), AddResult::Added);
    const MacroLocation folder = cur;
    for (const char16_t* m : macros) {
        cur = folder;
        EXPECT_EQ(lib.AddMacro(m, cur), AddResult::Added);
    }
    return folder;
}

std::u16string nameAt(const MacroLibrary& lib, const MacroLocation& l) {
    return lib.SlotAt(l)->name;
}

} // namespace

TEST(MacroLibrary, SlotArithmeticCoversTheWholeBlockAndNothingBeyond) {
    EXPECT_EQ(MacroLibrary::SlotIndex(MacroLocation::At(59)), 59u);
    EXPECT_EQ(MacroLibrary::SlotIndex(MacroLocation::At(0, 0)), 60u);
    EXPECT_EQ(MacroLibrary::SlotIndex(MacroLocation::At(59, 59)), 3659u);
    EXPECT_EQ(MacroLibrary::SlotIndex(MacroLocation::At(0, 0, 0)), 3660u);
    EXPECT_EQ(MacroLibrary::SlotIndex(MacroLocation::At(59, 59, 59)), kLibrarySlotCount - 1);
    MacroLibrary lib;
    EXPECT_EQ(lib.SlotAt(MacroLocation::None()), nullptr);
    EXPECT_EQ(lib.SlotAt({3, 0, 0, 0}), nullptr);
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(60)), nullptr);
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, -1)), nullptr);
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 0, 60)), nullptr);
    // Indices deeper than the stage are not looked at.
    EXPECT_EQ(lib.SlotAt({0, 5, 77, -3}), lib.SlotAt(MacroLocation::At(5)));
}

TEST(MacroLibrary, NewMacroHasDefaultsAndTakesTheNextSerialNumber) {
    MacroLibrary lib;
    lib.SetNextMacroIndex(41);
    MacroLocation cur = MacroLocation::None();
    ASSERT_EQ(lib.AddMacro(u"Copy", cur), AddResult::Added);
    EXPECT_EQ(cur, MacroLocation::At(0));
    const MacroLibraryNode& node = *lib.SlotAt(cur);
    ASSERT_TRUE(node.IsMacroSlot());
    EXPECT_EQ(node.isFolder, 0u);
    EXPECT_EQ(node.folderIsOpen, 0u);
    const model::MacroRecord& m = *node.macro;
    EXPECT_EQ(m.name, u"Copy");
    EXPECT_EQ(m.MacroKeyIndex, 41u);
    EXPECT_EQ(m.MacroKeyLoopType, 2);
    EXPECT_EQ(m.MacroKeyLoopNum, 1);
    EXPECT_EQ(m.MacroActionNum, 0u);
    EXPECT_EQ(m.MacroCommandActionNum, 0);
    EXPECT_EQ(m.CountEvents(), 0);
    EXPECT_EQ(lib.NextMacroIndex(), 42u);
    // Serial numbers are not reused after a delete.
    lib.Remove(cur);
    ASSERT_EQ(lib.AddMacro(u"Paste", cur), AddResult::Added);
    EXPECT_EQ(lib.SlotAt(cur)->macro->MacroKeyIndex, 42u);
}

TEST(MacroLibrary, AddGoesIntoTheSelectedFolderOrToTheTop) {
    MacroLibrary lib;
    const MacroLocation f0 = folderWithMacros(lib, u"Games", {u"Jump"});
    // Macro inside a folder selected: the new macro goes to depth 0, not next to it.
    MacroLocation cur = MacroLocation::At(0, 0);
    ASSERT_EQ(lib.AddMacro(u"Top", cur), AddResult::Added);
    EXPECT_EQ(cur, MacroLocation::At(1));
    // A depth-0 folder takes a folder; that folder takes macros but no further folder.
    cur = f0;
    ASSERT_EQ(lib.AddFolder(u"Inner", cur), AddResult::Added);
    const MacroLocation f1 = cur;
    EXPECT_EQ(f1, MacroLocation::At(0, 1));
    ASSERT_EQ(lib.AddMacro(u"Deep", cur), AddResult::Added);
    EXPECT_EQ(cur, MacroLocation::At(0, 1, 0));
    cur = f1;
    EXPECT_EQ(lib.AddFolder(u"Deeper", cur), AddResult::NotAdded);
    EXPECT_EQ(cur, f1);
    EXPECT_EQ(lib.CountOccupied(), 5u);
    // A folder at depth 2 can only come from a file; nothing may be added below it.
    ASSERT_TRUE(lib.AddFolderAt(MacroLocation::At(0, 1, 1), u"Odd", false));
    cur = MacroLocation::At(0, 1, 1);
    EXPECT_EQ(lib.AddMacro(u"X", cur), AddResult::NotAdded);
    EXPECT_EQ(lib.AddFolder(u"X", cur), AddResult::NotAdded);
}

TEST(MacroLibrary, NamesAreUniqueAmongSiblingsOnlyAndCaseSensitive) {
    MacroLibrary lib;
    MacroLocation cur;
    ASSERT_EQ(lib.AddMacro(u"Copy", cur), AddResult::Added);
    cur = MacroLocation::None();
    EXPECT_EQ(lib.AddMacro(u"copy", cur), AddResult::Added);
    cur = MacroLocation::None();
    EXPECT_EQ(lib.AddMacro(u"Copy", cur), AddResult::NameExists);
    EXPECT_EQ(cur, MacroLocation::None());
    cur = MacroLocation::None();
    EXPECT_EQ(lib.AddFolder(u"Copy", cur), AddResult::NameExists);
    const MacroLocation folder = folderWithMacros(lib, u"F", {u"Copy"});
    EXPECT_TRUE(lib.SlotAt(folder.Child(0))->IsMacroSlot());

    EXPECT_EQ(lib.Rename(MacroLocation::At(1), u"Copy"), AddResult::NameExists);
    EXPECT_EQ(lib.Rename(MacroLocation::At(1), u"copy"), AddResult::Added);
    EXPECT_EQ(lib.Rename(MacroLocation::At(1), u"COPY"), AddResult::Added);
    EXPECT_EQ(nameAt(lib, MacroLocation::At(1)), u"COPY");
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(1))->macro->name, u"copy"); // the record keeps its own name
    // Names that would break the tree or the file are refused.
    EXPECT_EQ(lib.Rename(MacroLocation::At(1), u""), AddResult::NotAdded);
    EXPECT_EQ(lib.Rename(MacroLocation::At(1), u"a\nb"), AddResult::NotAdded);
    EXPECT_EQ(lib.Rename(MacroLocation::At(5), u"free"), AddResult::NotAdded);
    cur = MacroLocation::None();
    EXPECT_EQ(lib.AddMacro(u"", cur), AddResult::NotAdded);
}

TEST(MacroLibrary, FullLevelAddsNothingAndKeepsTheSelection) {
    MacroLibrary lib;
    MacroLocation cur;
    for (int i = 0; i < kSlotsPerLevel; ++i) {
        cur = MacroLocation::None();
        ASSERT_EQ(lib.AddMacro(u"m" + std::u16string(1, char16_t(u'A' + i)), cur), AddResult::Added);
    }
    cur = MacroLocation::At(0);
    const std::uint32_t next = lib.NextMacroIndex();
    EXPECT_EQ(lib.AddMacro(u"one more", cur), AddResult::NotAdded);
    EXPECT_EQ(cur, MacroLocation::At(0));
    EXPECT_EQ(lib.NextMacroIndex(), next);
}

TEST(MacroLibrary, RemovingAFolderMovesTheFollowingSiblingsWithTheirChildren) {
    MacroLibrary lib;
    folderWithMacros(lib, u"A", {u"a1", u"a2"});
    const MacroLocation b = folderWithMacros(lib, u"B", {u"b1"});
    folderWithMacros(lib, u"C", {u"c1", u"c2", u"c3"});
    // A depth-2 macro below B, to see that grandchildren travel too.
    MacroLocation cur = b;
    ASSERT_EQ(lib.AddFolder(u"B-sub", cur), AddResult::Added);
    ASSERT_EQ(lib.AddMacro(u"deep", cur), AddResult::Added);
    ASSERT_EQ(cur, MacroLocation::At(1, 1, 0));
    const std::uint32_t deepSerial = lib.SlotAt(cur)->macro->MacroKeyIndex;

    ASSERT_TRUE(lib.Remove(MacroLocation::At(0)));
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0)), u"B");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 0)), u"b1");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 1)), u"B-sub");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 2)), u"");
    ASSERT_TRUE(lib.SlotAt(MacroLocation::At(0, 1, 0))->IsMacroSlot());
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 1, 0))->macro->MacroKeyIndex, deepSerial);
    EXPECT_EQ(nameAt(lib, MacroLocation::At(1)), u"C");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(1, 2)), u"c3");
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(2))->IsOccupied());
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(2, 0))->IsOccupied());
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(1, 1, 0))->IsOccupied());
    EXPECT_EQ(lib.CountOccupied(), 8u);

    // Inside a folder: the depth-1 sibling after the removed one moves up with its children.
    cur = MacroLocation::At(0);
    ASSERT_EQ(lib.AddMacro(u"b2", cur), AddResult::Added);
    ASSERT_TRUE(lib.Remove(MacroLocation::At(0, 0)));
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 0)), u"B-sub");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 0, 0)), u"deep");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(0, 1)), u"b2");
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(0, 1, 0))->IsOccupied());
    // The last of 60 siblings can be removed too.
    EXPECT_TRUE(lib.Remove(MacroLocation::At(59)));
    EXPECT_FALSE(lib.Remove(MacroLocation::None()));
}

TEST(MacroLibrary, ClearEmptiesEverySlotButKeepsTheCounter) {
    MacroLibrary lib;
    folderWithMacros(lib, u"A", {u"a1"});
    // An item below a free slot, as a file may place it.
    auto orphan = std::make_unique<model::MacroRecord>();
    ASSERT_TRUE(lib.AddMacroAt(MacroLocation::At(7, 3, 2), u"orphan", std::move(orphan)));
    // Removing depth-0 slot 0 shifts every following subtree, also past unused ones.
    ASSERT_TRUE(lib.AddMacroAt(MacroLocation::At(9, 0, 0), u"far", std::make_unique<model::MacroRecord>()));
    ASSERT_TRUE(lib.Remove(MacroLocation::At(0)));
    EXPECT_EQ(nameAt(lib, MacroLocation::At(6, 3, 2)), u"orphan");
    EXPECT_EQ(nameAt(lib, MacroLocation::At(8, 0, 0)), u"far");
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(7, 3, 2))->IsOccupied());
    EXPECT_FALSE(lib.SlotAt(MacroLocation::At(9, 0, 0))->IsOccupied());
    EXPECT_EQ(lib.CountOccupied(), 2u);
    const std::uint32_t next = lib.NextMacroIndex();
    lib.Clear();
    EXPECT_EQ(lib.CountOccupied(), 0u);
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(6, 3, 2))->macro, nullptr);
    EXPECT_EQ(lib.NextMacroIndex(), next);
    EXPECT_FALSE(lib.AddMacroAt(MacroLocation::At(0, 60), u"x", std::make_unique<model::MacroRecord>()));
}

TEST(MacroLibrary, RemovedAndClearedItemsGiveBackWhatTheyHeld) {
    MacroLibrary lib;
    const MacroLibrary& read = lib;
    // Looking at free slots holds nothing.
    for (int i = 0; i < kSlotsPerLevel; ++i)
        EXPECT_FALSE(read.SlotAt(MacroLocation::At(i, 5, 7))->IsOccupied());
    EXPECT_EQ(lib.EntryCount(), 0u);

    // A folder with a subfolder and a deep macro, removed and added again many times: what the
    // removed items held is used again, nothing piles up.
    for (int round = 0; round < 50; ++round) {
        const MacroLocation a = folderWithMacros(lib, u"A", {u"a1", u"a2"});
        MacroLocation cur = a;
        ASSERT_EQ(lib.AddFolder(u"sub", cur), AddResult::Added);
        ASSERT_EQ(lib.AddMacro(u"deep", cur), AddResult::Added);
        folderWithMacros(lib, u"B", {u"b1"});
        ASSERT_TRUE(lib.Remove(a));
        EXPECT_EQ(nameAt(lib, MacroLocation::At(0)), u"B");
        ASSERT_TRUE(lib.Remove(MacroLocation::At(0)));
        EXPECT_EQ(lib.CountOccupied(), 0u);
    }
    EXPECT_LE(lib.EntryCount(), 8u);

    folderWithMacros(lib, u"C", {u"c1"});
    ASSERT_TRUE(lib.AddMacroAt(MacroLocation::At(40, 59, 59), u"far", std::make_unique<model::MacroRecord>()));
    lib.Clear();
    EXPECT_EQ(lib.EntryCount(), 0u);
    EXPECT_FALSE(read.SlotAt(MacroLocation::At(40, 59, 59))->IsOccupied());
    // Refused adds and renames of free slots hold nothing either.
    EXPECT_FALSE(lib.AddFolderAt(MacroLocation::At(3), u"", false));
    EXPECT_EQ(lib.Rename(MacroLocation::At(3), u"x"), AddResult::NotAdded);
    EXPECT_EQ(lib.EntryCount(), 0u);
}

// The block is allocated once for the program's whole run (twice with an import): an empty
// library must not cost its 219,660 slots in resident memory.
TEST(MacroLibrary, AnEmptyLibraryCostsLittleResidentMemory) {
    auto residentKiB = [] {
        long pages = 0, resident = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (!statm)
            return -1L;
        const int got = std::fscanf(statm, "%ld %ld", &pages, &resident);
        std::fclose(statm);
        return got == 2 ? resident * (::sysconf(_SC_PAGESIZE) / 1024) : -1L;
    };
    const long before = residentKiB();
    ASSERT_GE(before, 0);
    std::vector<std::unique_ptr<MacroLibrary>> libraries;
    for (int i = 0; i < 4; ++i)
        libraries.push_back(std::make_unique<MacroLibrary>());
    for (auto& lib : libraries) {
        MacroLocation cur = MacroLocation::None();
        ASSERT_EQ(lib->AddMacro(u"m", cur), AddResult::Added);
    }
    // At most the blocks themselves (0.8 MiB each); a slot of 48 bytes made it 10.5 MiB each.
    EXPECT_LT(residentKiB() - before, 4 * 1024);
}

TEST(MacroActionText, BytesAndTextOfEachKind) {
    using Bytes = std::array<std::uint8_t, 4>;
    model::MacroAction longDelay = model::MakeDelay(15300000);
    EXPECT_EQ(longDelay.b, (Bytes{0x03, 0xE9, 0x75, 0xA0}));
    EXPECT_EQ(MacroActionText(longDelay), u"15300000ms");
    EXPECT_STREQ(MacroActionIcon(longDelay), "skins/macro_time.png");
    // Any b0 of 0..7 is a delay, though the program only makes 3.
    model::MacroAction odd{{0x05, 0x00, 0x00, 0x32}};
    EXPECT_EQ(MacroActionText(odd), u"50ms");
    EXPECT_STREQ(MacroActionIcon(odd), "skins/macro_time.png");

    model::MacroAction wheelUp = model::MakeMotion(model::kWheel, -3);
    EXPECT_EQ(wheelUp.b, (Bytes{0xE7, 0x00, 0x00, 0xFD}));
    EXPECT_EQ(MacroActionText(wheelUp), u"Wheel Up 3");
    EXPECT_EQ(MacroActionText(model::MakeMotion(model::kWheel, 2)), u"Wheel Down 2");
    model::MacroAction down = model::MakeMotion(model::kMoveY, 127);
    EXPECT_EQ(down.b, (Bytes{0xE6, 0x00, 0x00, 0x7F}));
    EXPECT_EQ(MacroActionText(down), u"Move Down 127");
    EXPECT_EQ(MacroActionText(model::MakeMotion(model::kMoveY, -1)), u"Move Up 1");
    EXPECT_EQ(MacroActionText(model::MakeMotion(model::kMoveX, -1)), u"Move Left 1");
    EXPECT_EQ(MacroActionText(model::MakeMotion(model::kMoveX, 5)), u"Move Right 5");
    EXPECT_EQ(MacroActionText(model::MacroAction{{0xE5, 0x00, 0x00, 0x80}}), u"Move Left 128");

    EXPECT_EQ(MacroActionText(model::MakeKeyEvent(0x41, false)), u"A");
    EXPECT_STREQ(MacroActionIcon(model::MakeKeyEvent(0x41, false)), "skins/macro_down.png");
    EXPECT_STREQ(MacroActionIcon(model::MakeKeyEvent(0x41, true)), "skins/macro_up.png");
    EXPECT_EQ(MacroActionText(model::MakeKeyEvent(model::kMouseLeft, true)), u"L Key");
    EXPECT_EQ(MacroActionText(model::MakeKeyEvent(0xE8, false)), u"Undefined");
}
