#include "macro/MacroFiles.h"
#include "macro/MacroItemCommands.h"
#include "platform/ProcessGlobals.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace quorvik::macro;
namespace model = quorvik::model;
namespace platform = quorvik::platform;
using quorvik::test::readBytes;
using quorvik::test::TempDir;
using quorvik::test::utf16File;
using quorvik::test::writeBytes;

namespace {

const std::u16string kHeaderNoSelection = u"[MacroLibrary]\n"
                                          u"MacroKeyIndex=1\n"
                                          u"Select Locaton:stage=-1;stage0Index=0;stage1Index=0;stage2Index=0;\n";

std::u16string zeros(std::size_t n) {
    return std::u16string(n, u'0');
}

MacroLocation add(MacroLibrary& lib, const char16_t* name, MacroLocation at, bool folder = false) {
    AddResult r = folder ? lib.AddFolder(name, at) : lib.AddMacro(name, at);
    EXPECT_EQ(r, AddResult::Added) << std::string(name, name + std::char_traits<char16_t>::length(name));
    return at;
}

void giveActions(MacroLibrary& lib, const MacroLocation& at, std::initializer_list<model::MacroAction> actions) {
    model::MacroRecord& m = *lib.SlotAt(at)->macro;
    for (const model::MacroAction& a : actions)
        m.InsertAction(m.MacroActionNum, a);
    m.MacroCommandActionNum = m.CountEvents();
}

// Every slot of the two blocks holds the same thing (serial numbers included).
void expectSameLibrary(const MacroLibrary& a, const MacroLibrary& b) {
    EXPECT_EQ(a.NextMacroIndex(), b.NextMacroIndex());
    for (std::size_t s = 0; s < kLibrarySlotCount; ++s) {
        const MacroLibraryNode& x = a.SlotByIndex(s);
        const MacroLibraryNode& y = b.SlotByIndex(s);
        ASSERT_EQ(x.name, y.name) << "slot " << s;
        ASSERT_EQ(x.isFolder, y.isFolder) << "slot " << s;
        ASSERT_EQ(x.folderIsOpen, y.folderIsOpen) << "slot " << s;
        ASSERT_EQ(x.macro == nullptr, y.macro == nullptr) << "slot " << s;
        if (!x.macro)
            continue;
        EXPECT_EQ(x.macro->name, y.macro->name);
        EXPECT_EQ(x.macro->MacroKeyIndex, y.macro->MacroKeyIndex);
        EXPECT_EQ(x.macro->MacroActionNum, y.macro->MacroActionNum);
        EXPECT_EQ(x.macro->MacroKeyLoopType, y.macro->MacroKeyLoopType);
        EXPECT_EQ(x.macro->MacroKeyLoopNum, y.macro->MacroKeyLoopNum);
        EXPECT_EQ(x.macro->MacroCommandActionNum, y.macro->MacroCommandActionNum);
        EXPECT_EQ(x.macro->actions, y.macro->actions);
    }
}

struct MacroFiles : ::testing::Test {
    TempDir dir;
    std::string path(const char* name) const { return (dir.path() / name).string(); }
    void writeText(const char* name, const std::u16string& text) const { writeBytes(path(name), utf16File(text)); }
};

} // namespace

TEST_F(MacroFiles, EmptyLibraryIsTheThreeHeaderLines) {
    MacroLibrary lib;
    ASSERT_TRUE(WriteMacroLibraryFile(lib, path("empty.mlf"), MacroLocation::None()));
    EXPECT_EQ(readBytes(path("empty.mlf")), utf16File(kHeaderNoSelection));
    MacroLibrary back;
    back.SetNextMacroIndex(99);
    EXPECT_TRUE(ReadMacroLibraryFile(back, path("empty.mlf"), nullptr));
    EXPECT_EQ(back.NextMacroIndex(), 1u);
}

TEST_F(MacroFiles, SmallLibraryIsWrittenByteForByte) {
    MacroLibrary lib;
    lib.SetNextMacroIndex(7);
    const MacroLocation folder = add(lib, u"F", MacroLocation::None(), true);
    lib.SlotAt(folder)->folderIsOpen = 1;
    const MacroLocation copy = add(lib, u"Copy", folder);
    giveActions(lib, copy, {model::MakeKeyEvent(0x11, false), model::MakeDelay(50), model::MakeKeyEvent(0x11, true)});
    add(lib, u"Z", MacroLocation::None());
    ASSERT_TRUE(WriteMacroLibraryFile(lib, path("small.mlf"), MacroLocation::At(0, 0)));

    // The folder's child comes after every depth-0 block, indented by one TAB.
    const std::u16string expected = u"[MacroLibrary]\n"
                                    u"MacroKeyIndex=9\n"
                                    u"Select Locaton:stage=1;stage0Index=0;stage1Index=0;stage2Index=0;\n"
                                    u"++++++++MacroItemName=F\n"
                                    u"MacroItemLocation:stage=0;stage0Index=0;stage1Index=0;stage2Index=0;\n"
                                    u"MacroItemIsFolder=1\n"
                                    u"MacroItemFolderIsOpen=1\n"
                                    u"++++++++MacroItemName=Z\n"
                                    u"MacroItemLocation:stage=0;stage0Index=1;stage1Index=0;stage2Index=0;\n"
                                    u"MacroItemIsFolder=0\n"
                                    u"MacroItemFolderIsOpen=0\n"
                                    u"MacroKeyIndex=8\n"
                                    u"MacroKeyLoopType=2\n"
                                    u"MacroKeyLoopNum=1\n"
                                    u"MacroActionNum=0\n"
                                    u"MacroCommandActionNum=0\n"
                                    u"AllAction=" +
                                    zeros(2688) +
                                    u"\n"
                                    u"\t++++++++MacroItemName=Copy\n"
                                    u"\tMacroItemLocation:stage=1;stage0Index=0;stage1Index=0;stage2Index=0;\n"
                                    u"\tMacroItemIsFolder=0\n"
                                    u"\tMacroItemFolderIsOpen=0\n"
                                    u"\tMacroKeyIndex=7\n"
                                    u"\tMacroKeyLoopType=2\n"
                                    u"\tMacroKeyLoopNum=1\n"
                                    u"\tMacroActionNum=3\n"
                                    u"\tMacroCommandActionNum=2\n"
                                    u"\tAllAction=110000000300003211800000" +
                                    zeros(2688 - 24) + u"\n";
    EXPECT_EQ(readBytes(path("small.mlf")), utf16File(expected));
}

TEST_F(MacroFiles, WriteThenReadGivesTheSameLibrary) {
    MacroLibrary lib;
    lib.SetNextMacroIndex(0x80000005u); // written as a negative number, read back as the same bits
    const MacroLocation f = add(lib, u"Folder", MacroLocation::None(), true);
    const MacroLocation sub = add(lib, u"Sub", f, true);
    lib.SlotAt(sub)->folderIsOpen = 1;
    const MacroLocation deep = add(lib, u"a=b=c", sub); // only the first "=" separates key and value
    const MacroLocation mid = add(lib, u"\u4E2D\u6587 name", f);
    const MacroLocation top = add(lib, u"Full", MacroLocation::None());
    model::MacroRecord& full = *lib.SlotAt(top)->macro;
    for (std::size_t n = 0; n < model::kMaxMacroActions; ++n)
        full.InsertAction(n, model::MacroAction{{std::uint8_t(n), std::uint8_t(n * 7), 0xAB, std::uint8_t(255 - n)}});
    full.MacroKeyLoopType = 4;
    full.MacroKeyLoopNum = 255;
    full.MacroCommandActionNum = 168;
    // Entries past the count are kept as they stand in memory.
    model::MacroRecord& m = *lib.SlotAt(mid)->macro;
    giveActions(lib, mid, {model::MakeMotion(model::kWheel, -3), model::MakeDelay(15300000)});
    m.MacroActionNum = 1;
    giveActions(lib, deep, {model::MakeKeyEvent(0xE0, false)});
    lib.Remove(MacroLocation::At(0, 5)); // a free slot: must not disturb anything
    // Enough macros for lines to straddle the reader's buffer, with names whose units hold a
    // 0x0A byte that is not a line feed (U+0A41: 41 0A, U+010A: 0A 01).
    for (char16_t c = u'a'; c < u'a' + 20; ++c)
        add(lib, (u"\u0A41\u010A" + std::u16string(1, c)).c_str(), MacroLocation::None());

    ASSERT_TRUE(WriteMacroLibraryFile(lib, path("a.mlf"), MacroLocation::None()));
    MacroLibrary back;
    ASSERT_TRUE(ReadMacroLibraryFile(back, path("a.mlf"), nullptr));
    expectSameLibrary(lib, back);
    ASSERT_TRUE(WriteMacroLibraryFile(back, path("b.mlf"), MacroLocation::None()));
    EXPECT_EQ(readBytes(path("a.mlf")), readBytes(path("b.mlf")));
}

TEST_F(MacroFiles, DamagedLinesEndTheReadingAndKeepEarlierItems) {
    const std::u16string first = u"++++++++MacroItemName=Keep\n"
                                 u"MacroItemLocation:stage=0;stage0Index=0;stage1Index=0;stage2Index=0;\n"
                                 u"MacroItemIsFolder=1\n"
                                 u"MacroItemFolderIsOpen=0\n";
    auto macroBlock = [](const std::u16string& actionLine, const std::u16string& countLine = u"MacroActionNum=0\n") {
        return u"++++++++MacroItemName=Lost\n"
               u"MacroItemLocation:stage=0;stage0Index=1;stage1Index=0;stage2Index=0;\n"
               u"MacroItemIsFolder=0\n"
               u"MacroItemFolderIsOpen=0\n"
               u"MacroKeyIndex=3\n"
               u"MacroKeyLoopType=2\n"
               u"MacroKeyLoopNum=1\n" +
               countLine + u"MacroCommandActionNum=0\n" + actionLine;
    };
    struct Case {
        const char* what;
        std::u16string tail;
    };
    const Case cases[] = {
        {"2,687 digits", macroBlock(u"AllAction=" + zeros(2687) + u"\n")},
        {"2,689 digits", macroBlock(u"AllAction=" + zeros(2689) + u"\n")},
        {"file ends inside a block", macroBlock(u"")},
        {"line without =", macroBlock(u"AllAction=" + zeros(2688) + u"\n", u"MacroActionNum 0\n")},
        {"= as last character", macroBlock(u"AllAction=" + zeros(2688) + u"\n", u"MacroActionNum=\n")},
        {"empty line where a block starts", u"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeText("d.mlf", kHeaderNoSelection + first + c.tail);
        MacroLibrary lib;
        EXPECT_EQ(ReadMacroLibrary(lib, path("d.mlf"), nullptr), ReadStatus::Damaged);
        EXPECT_TRUE(lib.SlotAt(MacroLocation::At(0))->IsFolderSlot());
        EXPECT_FALSE(lib.SlotAt(MacroLocation::At(1))->IsOccupied());
        EXPECT_EQ(lib.CountOccupied(), 1u);
    }
    // The same block with a proper action line is read, a last line without its line feed too.
    writeText("d.mlf", kHeaderNoSelection + first + macroBlock(u"AllAction=" + zeros(2688)));
    MacroLibrary lib;
    EXPECT_EQ(ReadMacroLibrary(lib, path("d.mlf"), nullptr), ReadStatus::Complete);
    EXPECT_EQ(lib.CountOccupied(), 2u);
}

TEST_F(MacroFiles, ValuesFromTheFileCannotReachOutsideTheTables) {
    auto block = [](const std::u16string& name, const std::u16string& location, const std::u16string& count) {
        return u"++++++++MacroItemName=" + name + u"\nMacroItemLocation:" + location +
               u"\nMacroItemIsFolder=0\nMacroItemFolderIsOpen=0\nMacroKeyIndex=3\nMacroKeyLoopType=258\n"
               u"MacroKeyLoopNum=1\nMacroActionNum=" +
               count + u"\nMacroCommandActionNum=0\nAllAction=" + u"E7GF" + zeros(2684) + u"\n";
    };
    writeText("v.mlf", kHeaderNoSelection +
                           block(u"far", u"stage=2;stage0Index=0;stage1Index=0;stage2Index=60;", u"1") +
                           block(u"wrap", u"stage=4294967296;stage0Index=0;stage1Index=0;stage2Index=0;", u"1") +
                           block(u"noPairs", u"stage=0", u"1") +
                           block(u"big", u"stage=0;stage0Index=3;stage1Index=99;stage2Index=-4;", u"4000"));
    MacroLibrary lib;
    ASSERT_TRUE(ReadMacroLibraryFile(lib, path("v.mlf"), nullptr));
    EXPECT_EQ(lib.CountOccupied(), 1u);
    const MacroLibraryNode& big = *lib.SlotAt(MacroLocation::At(3));
    ASSERT_TRUE(big.IsMacroSlot());
    // The count is kept as read, but everything that walks the actions stops at the table's end.
    EXPECT_EQ(big.macro->MacroActionNum, 4000u);
    EXPECT_EQ(big.macro->ValidActionCount(), model::kMaxMacroActions);
    EXPECT_EQ(big.macro->MacroKeyLoopType, 2); // 258 kept in 8 bits
    // Damaged hex reads as the value of its leading digits.
    EXPECT_EQ(big.macro->actions[0].b[0], 0xE7);
    EXPECT_EQ(big.macro->actions[0].b[1], 0x00);
    model::MacroRecord copy;
    copy.CopyFrom(*big.macro);
    EXPECT_EQ(copy.MacroActionNum, model::kMaxMacroActions);
}

TEST_F(MacroFiles, StartupReaderUsesTheDataFolderAndClearsBeforeReading) {
    std::filesystem::create_directories(dir.path() / "config");
    quorvik::platform::SetDataFolder(dir.str());
    MacroLibrary& lib = TheMacroLibrary();
    lib.Clear();
    lib.SetNextMacroIndex(1);
    add(lib, u"Before", MacroLocation::None());
    // No file: the library is left as it is.
    EXPECT_FALSE(ReadMacroLibraryAtStartup());
    EXPECT_EQ(lib.CountOccupied(), 1u);

    MacroLibrary other;
    add(other, u"FromFile", MacroLocation::None());
    ASSERT_TRUE(WriteMacroLibraryFile(other, MacroLibraryFilePath(), MacroLocation::At(0)));
    EXPECT_TRUE(ReadMacroLibraryAtStartup());
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0))->name, u"FromFile");
    EXPECT_EQ(lib.CountOccupied(), 1u);

    writeText("config/MacroLibraryFile.mlf", u"[macrolibrary]\nMacroKeyIndex=5\n");
    EXPECT_FALSE(ReadMacroLibraryAtStartup());
    EXPECT_EQ(lib.CountOccupied(), 0u);
    EXPECT_TRUE(SaveMacroLibraryFile());
    EXPECT_EQ(readBytes(MacroLibraryFilePath()),
              utf16File(kHeaderNoSelection.substr(0, 15) + u"MacroKeyIndex=2\n" + kHeaderNoSelection.substr(31)));
    lib.SetNextMacroIndex(1);
}

TEST_F(MacroFiles, WriteFailureIsReportedAndKeepsTheOldFile) {
    MacroLibrary lib;
    EXPECT_FALSE(WriteMacroLibraryFile(lib, path("missing-folder/x.mlf"), MacroLocation::None()));
    EXPECT_EQ(ExportItems(lib, MacroLocation::None(), path("missing-folder/x.mbf")).result,
              ItemCommandResult::WriteFailed);
}

// ---- the item commands ----

namespace {

// F {f1, f2}, M1, M2, G {g1, sub-folder S {s1}}
void buildSource(MacroLibrary& src) {
    const MacroLocation f = add(src, u"F", MacroLocation::None(), true);
    giveActions(src, add(src, u"f1", f), {model::MakeDelay(10)});
    add(src, u"f2", f);
    const MacroLocation m1 = add(src, u"M1", MacroLocation::None());
    src.SlotAt(m1)->macro->MacroKeyLoopType = 4;
    giveActions(src, m1, {model::MakeKeyEvent(0x41, false), model::MakeKeyEvent(0x41, true)});
    add(src, u"M2", MacroLocation::None());
    const MacroLocation g = add(src, u"G", MacroLocation::None(), true);
    add(src, u"g1", g);
    add(src, u"s1", add(src, u"S", g, true));
}

} // namespace

TEST_F(MacroFiles, ImportMacroAddsACopyWithItsOwnSerialNumberOnce) {
    MacroLibrary src, tree, lib;
    buildSource(src);
    const MacroLocation m1 = MacroLocation::At(1);
    EXPECT_EQ(ProposedMacroFileName(src, m1), u"M1.mkf");
    EXPECT_EQ(ProposedMacroFileName(src, MacroLocation::At(0)), u"");
    EXPECT_EQ(ExportMacro(src, MacroLocation::At(0), path("x.mkf")).result, ItemCommandResult::NoMacroSelected);
    ASSERT_EQ(ExportMacro(src, m1, path("m1.mkf")).result, ItemCommandResult::Done);

    lib.SetNextMacroIndex(500);
    const MacroLocation folder = add(lib, u"Mine", MacroLocation::None(), true);
    ItemCommandOutcome out = ImportMacro(lib, tree, folder, path("m1.mkf"));
    ASSERT_EQ(out.result, ItemCommandResult::Done);
    EXPECT_EQ(out.current, MacroLocation::At(0, 0));
    EXPECT_EQ(lib.SlotAt(folder)->folderIsOpen, 1u);
    const model::MacroRecord& got = *lib.SlotAt(out.current)->macro;
    const model::MacroRecord& want = *src.SlotAt(m1)->macro;
    EXPECT_EQ(lib.SlotAt(out.current)->name, u"M1");
    EXPECT_EQ(got.MacroKeyIndex, 500u);
    EXPECT_EQ(got.MacroKeyLoopType, 4);
    EXPECT_EQ(got.MacroActionNum, 2u);
    EXPECT_EQ(got.MacroCommandActionNum, 2);
    EXPECT_EQ(got.actions, want.actions);
    EXPECT_EQ(tree.CountOccupied(), 0u);

    // The same name at the same target: nothing changes.
    const std::uint32_t next = lib.NextMacroIndex();
    out = ImportMacro(lib, tree, folder, path("m1.mkf"));
    EXPECT_EQ(out.result, ItemCommandResult::NameExists);
    EXPECT_EQ(out.current, folder);
    EXPECT_EQ(lib.CountOccupied(), 2u);
    EXPECT_EQ(lib.NextMacroIndex(), next);
    EXPECT_EQ(tree.CountOccupied(), 0u);
}

TEST_F(MacroFiles, ImportMacroFromAFileNotPointingAtAMacroDoesNothing) {
    MacroLibrary src, tree, lib;
    buildSource(src);
    ASSERT_EQ(ExportItems(src, MacroLocation::At(0), path("folder.mkf")).result, ItemCommandResult::Done);
    ASSERT_EQ(ExportItems(src, MacroLocation::None(), path("none.mkf")).result, ItemCommandResult::Done);
    ASSERT_EQ(ExportItems(src, MacroLocation::At(59, 59, 59), path("free.mkf")).result, ItemCommandResult::Done);
    for (const char* file : {"folder.mkf", "none.mkf", "free.mkf"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ImportMacro(lib, tree, MacroLocation::None(), path(file)).result, ItemCommandResult::NothingToImport);
        EXPECT_EQ(lib.CountOccupied(), 0u);
        EXPECT_EQ(tree.CountOccupied(), 0u);
    }
    EXPECT_EQ(ImportMacro(lib, tree, MacroLocation::None(), path("absent.mkf")).result,
              ItemCommandResult::FileUnreadable);
}

TEST_F(MacroFiles, ImportItemsMadeWithNothingSelected) {
    MacroLibrary src, tree;
    buildSource(src);
    EXPECT_EQ(ProposedItemsFileName(src, MacroLocation::None()), u"AllMacroKey.mbf");
    EXPECT_EQ(ProposedItemsFileName(src, MacroLocation::At(3)), u"G.mbf");
    ASSERT_EQ(ExportItems(src, MacroLocation::None(), path("all.mbf")).result, ItemCommandResult::Done);

    {
        // A depth-0 macro is current: folders come with the macros directly inside them.
        MacroLibrary lib;
        const MacroLocation here = add(lib, u"Here", MacroLocation::None());
        ItemCommandOutcome out = ImportItems(lib, tree, here, path("all.mbf"));
        ASSERT_EQ(out.result, ItemCommandResult::Done);
        EXPECT_EQ(out.current, MacroLocation::At(4));
        const char16_t* top[] = {u"Here", u"F", u"M1", u"M2", u"G"};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(lib.SlotAt(MacroLocation::At(i))->name, top[i]);
        EXPECT_TRUE(lib.SlotAt(MacroLocation::At(1))->IsFolderSlot());
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(1, 0))->name, u"f1");
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(1, 0))->macro->actions[0], model::MakeDelay(10));
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(1, 1))->name, u"f2");
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(4, 0))->name, u"g1");
        EXPECT_FALSE(lib.SlotAt(MacroLocation::At(4, 1))->IsOccupied()); // the nested folder stays behind
        EXPECT_EQ(lib.CountOccupied(), 8u);
        EXPECT_EQ(tree.CountOccupied(), 0u);
        // Every imported macro got a fresh serial number from this library.
        EXPECT_EQ(lib.NextMacroIndex(), 7u);
    }
    {
        // Nothing current: only the top-level macros.
        MacroLibrary lib;
        ItemCommandOutcome out = ImportItems(lib, tree, MacroLocation::None(), path("all.mbf"));
        ASSERT_EQ(out.result, ItemCommandResult::Done);
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(0))->name, u"M1");
        EXPECT_EQ(lib.SlotAt(MacroLocation::At(1))->name, u"M2");
        EXPECT_EQ(lib.CountOccupied(), 2u);
        EXPECT_EQ(out.current, MacroLocation::At(1));
    }
    {
        // One clashing name: nothing at all is imported.
        MacroLibrary lib;
        const MacroLocation here = add(lib, u"M2", MacroLocation::None());
        ItemCommandOutcome out = ImportItems(lib, tree, here, path("all.mbf"));
        EXPECT_EQ(out.result, ItemCommandResult::NameExists);
        EXPECT_EQ(out.current, here);
        EXPECT_EQ(lib.CountOccupied(), 1u);
    }
}

TEST_F(MacroFiles, ImportItemsMadeWithASelection) {
    MacroLibrary src, tree;
    buildSource(src);
    // A macro selected: it and its following siblings up to the first free slot (G is a folder).
    ASSERT_EQ(ExportItems(src, MacroLocation::At(1), path("run.mbf")).result, ItemCommandResult::Done);
    // A folder selected: that folder alone.
    ASSERT_EQ(ExportItems(src, MacroLocation::At(0), path("folder.mbf")).result, ItemCommandResult::Done);

    MacroLibrary lib;
    const MacroLocation target = add(lib, u"Target", MacroLocation::None(), true);
    // Into a depth-0 folder: macros go inside it, the folder G becomes a depth-1 folder.
    ItemCommandOutcome out = ImportItems(lib, tree, target, path("run.mbf"));
    ASSERT_EQ(out.result, ItemCommandResult::Done);
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 0))->name, u"M1");
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 1))->name, u"M2");
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 2))->name, u"G");
    EXPECT_EQ(lib.SlotAt(MacroLocation::At(0, 2, 0))->name, u"g1");
    EXPECT_EQ(lib.SlotAt(target)->folderIsOpen, 1u);
    EXPECT_EQ(out.current, MacroLocation::At(0, 2));

    // A folder from the file while nothing is current adds nothing.
    out = ImportItems(lib, tree, MacroLocation::None(), path("folder.mbf"));
    EXPECT_EQ(out.result, ItemCommandResult::NotAdded);
    EXPECT_EQ(lib.CountOccupied(), 5u);
    EXPECT_EQ(tree.CountOccupied(), 0u);
}

// A file written by hand: folders at every depth, the location line on the one at depth 2.
TEST_F(MacroFiles, AFolderAtTheDeepestLevelIsNotReadAndImportsNothing) {
    auto folder = [](const char16_t* name, int stage, int i, int j, int k) {
        auto n = [](int v) { return std::u16string(1, char16_t(u'0' + v)); };
        const std::u16string tabs(std::size_t(stage), u'\t');
        return tabs + u"++++++++MacroItemName=" + name + u"\n" + tabs + u"MacroItemLocation:stage=" + n(stage) +
               u";stage0Index=" + n(i) + u";stage1Index=" + n(j) + u";stage2Index=" + n(k) + u";\n" + tabs +
               u"MacroItemIsFolder=1\n" + tabs + u"MacroItemFolderIsOpen=1\n";
    };
    writeText("deep.mbf", u"[MacroLibrary]\nMacroKeyIndex=1\n"
                          u"Select Locaton:stage=2;stage0Index=0;stage1Index=0;stage2Index=0;\n" +
                              folder(u"A", 0, 0, 0, 0) + folder(u"B", 1, 0, 0, 0) + folder(u"C", 2, 0, 0, 0));
    MacroLibrary read;
    MacroLocation fileLocation;
    EXPECT_EQ(ReadMacroLibrary(read, path("deep.mbf"), &fileLocation), ReadStatus::Complete);
    EXPECT_EQ(fileLocation, MacroLocation::At(0, 0, 0));
    EXPECT_TRUE(read.SlotAt(MacroLocation::At(0, 0))->IsFolderSlot());
    EXPECT_FALSE(read.SlotAt(MacroLocation::At(0, 0, 0))->IsOccupied()); // folders stop at depth 1
    EXPECT_EQ(read.CountOccupied(), 2u);

    // Imported while a depth-0 item is current (the case that brings folders along).
    MacroLibrary tree;
    for (bool folderCurrent : {false, true}) {
        MacroLibrary lib;
        const MacroLocation here = add(lib, u"Here", MacroLocation::None(), folderCurrent);
        EXPECT_EQ(ImportItems(lib, tree, here, path("deep.mbf")).result, ItemCommandResult::NothingToImport);
        EXPECT_EQ(ImportMacro(lib, tree, here, path("deep.mbf")).result, ItemCommandResult::NothingToImport);
        EXPECT_EQ(lib.CountOccupied(), 1u);
        EXPECT_EQ(tree.CountOccupied(), 0u);
    }
}
