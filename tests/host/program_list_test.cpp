// Packing the four program slots into the stored list and back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/program_list.h"

namespace {

using Slots = char[ProgramListSlots][ProgramItemSize];

void SetSlots(Slots slots, const char* a, const char* b, const char* c, const char* d)
{
    const char* items[] = {a, b, c, d};
    for (size_t i = 0; i < ProgramListSlots; ++i) {
        std::memset(slots[i], 0, ProgramItemSize);
        std::strncpy(slots[i], items[i], ProgramItemSize - 1);
    }
}

struct PackRow {
    const char* slots[ProgramListSlots];
    const char* packed;
};

TEST(PackProgramText, NonEmptySlotsEachFollowedBySeparator)
{
    const PackRow rows[] = {
        {{"", "B", "", "D"}, "B;D;"},
        {{"C:\\A.EXE", "", "D:\\B.BAT", ""}, "C:\\A.EXE;D:\\B.BAT;"},
        {{"", "", "", ""}, ""},
        {{"A", "B", "C", "D"}, "A;B;C;D;"},
    };
    for (const PackRow& row : rows) {
        Slots slots;
        SetSlots(slots, row.slots[0], row.slots[1], row.slots[2], row.slots[3]);
        char list[1024];
        std::memset(list, 'Q', sizeof list);
        PackProgramText(slots, list, sizeof list);
        EXPECT_STREQ(row.packed, list);
    }
}

struct UnpackRow {
    const char* list;
    const char* slots[ProgramListSlots];
};

TEST(UnpackProgramText, SplitAtSeparators)
{
    const UnpackRow rows[] = {
        {"B;D;", {"B", "D", "", ""}},
        {";;A;;B", {"A", "B", "", ""}},
        {";", {"", "", "", ""}},
        {"", {"", "", "", ""}},
        {"A;B;C;D;E;", {"A", "B", "C", "D"}},
        {"C:\\A.EXE;D:\\B.BAT;", {"C:\\A.EXE", "D:\\B.BAT", "", ""}},
        {"x y;;;", {"x y", "", "", ""}},
    };
    for (const UnpackRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "list \"" << row.list << "\"");
        char list[1024];
        std::strncpy(list, row.list, sizeof list);
        char before[sizeof list];
        std::memcpy(before, list, sizeof list);
        Slots slots;
        std::memset(slots, 'Q', sizeof slots);
        UnpackProgramText(list, slots);
        for (size_t i = 0; i < ProgramListSlots; ++i) EXPECT_STREQ(row.slots[i], slots[i]) << "slot " << i;
        EXPECT_EQ(0, std::memcmp(before, list, sizeof list)) << "the list was changed";
    }
}

TEST(ProgramList, FifthItemIsDroppedByTheNextPack)
{
    Slots slots;
    UnpackProgramText("A;B;C;D;E;", slots);
    char list[1024];
    PackProgramText(slots, list, sizeof list);
    EXPECT_STREQ("A;B;C;D;", list);
}

TEST(ProgramList, PackThenUnpackCompactsIntoLowestSlots)
{
    Slots slots;
    SetSlots(slots, "", "B", "", "D");
    char list[1024];
    PackProgramText(slots, list, sizeof list);
    UnpackProgramText(list, slots);
    EXPECT_STREQ("B", slots[0]);
    EXPECT_STREQ("D", slots[1]);
    EXPECT_STREQ("", slots[2]);
    EXPECT_STREQ("", slots[3]);
}

TEST(UnpackProgramText, LongItemIsCutTo259)
{
    std::string item(300, 'p');
    std::string list = ";" + item + ";Z;";
    Slots slots;
    UnpackProgramText(list.c_str(), slots);
    EXPECT_EQ(std::string(259, 'p'), slots[0]);
    EXPECT_STREQ("Z", slots[1]);
    EXPECT_STREQ("", slots[2]);
}

TEST(UnpackProgramTextN, UnterminatedListIsReadToItsEnd)
{
    char field[8];
    std::memcpy(field, "AB;CD;EF", 8);  // fills the field: no terminator
    Slots slots;
    UnpackProgramTextN(field, sizeof field, slots);
    EXPECT_STREQ("AB", slots[0]);
    EXPECT_STREQ("CD", slots[1]);
    EXPECT_STREQ("EF", slots[2]);
    EXPECT_STREQ("", slots[3]);
}

TEST(PackProgramText, UnterminatedSlotIsReadAs259Characters)
{
    Slots slots;
    SetSlots(slots, "", "", "", "");
    std::memset(slots[0], 'u', ProgramItemSize);  // no terminator in the slot
    char list[1024];
    PackProgramText(slots, list, sizeof list);
    EXPECT_EQ(std::string(259, 'u') + ";", list);
}

TEST(PackProgramText, OverfullListEndsOnAWholeItem)
{
    Slots slots;
    std::string a(259, 'a'), b(259, 'b'), c(259, 'c'), d(259, 'd');
    SetSlots(slots, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    char list[1024 + 8];
    std::memset(list, 'Q', sizeof list);
    PackProgramText(slots, list, 1024);
    // Three items with their separators take 780 bytes; the fourth would need 1040.
    EXPECT_EQ(a + ";" + b + ";" + c + ";", list);
    EXPECT_EQ(0, std::memcmp(list + 1024, "QQQQQQQQ", 8)) << "written past the field";

    // A small buffer: only whole items that fit with ';' and terminator.
    SetSlots(slots, "AB", "CD", "EF", "");
    char small[8 + 4];
    std::memset(small, 'Q', sizeof small);
    PackProgramText(slots, small, 8);
    EXPECT_STREQ("AB;CD;", small);
    EXPECT_EQ(0, std::memcmp(small + 8, "QQQQ", 4));
    PackProgramText(slots, small, 7);
    EXPECT_STREQ("AB;CD;", small);
    PackProgramText(slots, small, 6);
    EXPECT_STREQ("AB;", small);
}

struct SplitRow {
    const char* entry;
    const char* program;    // null: nothing to run
    const char* arguments;
};

TEST(SplitProgramEntry, NeverCutsAPathAtItsFirstBlank)
{
    const SplitRow rows[] = {
        {"C:\\Program Files\\Foo Bar\\prog.exe", "C:\\Program Files\\Foo Bar\\prog.exe", ""},
        {"C:\\Program Files\\Foo Bar\\prog.exe /q x.txt", "C:\\Program Files\\Foo Bar\\prog.exe", "/q x.txt"},
        {"  \"C:\\My Tools\\a.exe\"  -v", "C:\\My Tools\\a.exe", "-v"},
        {"\"C:\\unclosed dir\\b.exe", "C:\\unclosed dir\\b.exe", ""},
        {"C:\\my.exe.files\\tool.EXE arg", "C:\\my.exe.files\\tool.EXE", "arg"},
        {"C:\\jobs\\Backup&probe&.bat", "C:\\jobs\\Backup&probe&.bat", ""},
        {"C:\\notes\\my letter.txt  ", "C:\\notes\\my letter.txt", ""},
        {"notepad.exe C:\\today.txt", "notepad.exe", "C:\\today.txt"},
        {"", nullptr, ""},
        {"\"\" x", nullptr, ""},
    };
    for (const SplitRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "entry \"" << row.entry << "\"");
        char program[ProgramItemSize];
        const char* arguments = SplitProgramEntry(row.entry, program, sizeof program);
        if (!row.program) {
            EXPECT_EQ(arguments, nullptr);
            continue;
        }
        ASSERT_NE(arguments, nullptr);
        EXPECT_STREQ(row.program, program);
        EXPECT_STREQ(row.arguments, arguments);
    }
    char small[8];
    EXPECT_EQ(SplitProgramEntry("C:\\longer.exe", small, sizeof small), nullptr) << "a program that does not fit";
    EXPECT_TRUE(IsBatchName("C:\\a b\\RUN.Cmd"));
    EXPECT_FALSE(IsBatchName("C:\\a.bat\\run.exe"));
}

}  // namespace
