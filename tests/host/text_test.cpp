// Bounded copies: cut, terminated, and never a byte past the array.
#include <gtest/gtest.h>

#include <cstring>

#include "core/text.h"

namespace {

constexpr char Canary = '\x5A';

// A destination array with canary bytes after it.
struct Guarded {
    char bytes[32];
    size_t size;
    explicit Guarded(size_t n) : size(n) { std::memset(bytes, Canary, sizeof bytes); }
    char* dst() { return bytes; }
    bool CanariesIntact() const
    {
        for (size_t i = size; i < sizeof bytes; ++i)
            if (bytes[i] != Canary) return false;
        return true;
    }
};

struct CopyRow {
    const char* src;
    size_t dstSize;
    const char* expected;
    size_t expectedLen;
};

TEST(CopyText, CutsAndTerminates)
{
    const CopyRow rows[] = {
        {"abc", 8, "abc", 3},
        {"abcdefgh", 8, "abcdefg", 7},
        {"abcdefgh", 9, "abcdefgh", 8},
        {"abc", 1, "", 0},
        {"", 4, "", 0},
        {nullptr, 4, "", 0},
    };
    for (const CopyRow& row : rows) {
        Guarded g(row.dstSize);
        size_t len = CopyText(g.dst(), row.dstSize, row.src);
        SCOPED_TRACE(testing::Message() << "src=" << (row.src ? row.src : "(null)") << " size=" << row.dstSize);
        EXPECT_STREQ(row.expected, g.bytes);
        EXPECT_EQ(row.expectedLen, len);
        EXPECT_TRUE(g.CanariesIntact());
    }
}

TEST(CopyText, ZeroSizeWritesNothing)
{
    Guarded g(0);
    EXPECT_EQ(0u, CopyText(g.dst(), 0, "abc"));
    EXPECT_EQ(Canary, g.bytes[0]);
}

struct AppendRow {
    const char* start;
    const char* src;
    size_t dstSize;
    const char* expected;
};

TEST(AppendText, CutsToTheArray)
{
    const AppendRow rows[] = {
        {"Counting ", "down", 20, "Counting down"},
        {"abc", "defgh", 6, "abcde"},
        {"abcde", "x", 6, "abcde"},
        {"", "xyz", 3, "xy"},
    };
    for (const AppendRow& row : rows) {
        Guarded g(row.dstSize);
        CopyText(g.dst(), row.dstSize, row.start);
        size_t len = AppendText(g.dst(), row.dstSize, row.src);
        SCOPED_TRACE(testing::Message() << "start=" << row.start << " src=" << row.src);
        EXPECT_STREQ(row.expected, g.bytes);
        EXPECT_EQ(std::strlen(row.expected), len);
        EXPECT_TRUE(g.CanariesIntact());
    }
}

TEST(AppendText, UnterminatedDestinationIsTerminatedInPlace)
{
    Guarded g(4);
    std::memcpy(g.bytes, "wxyz", 4);
    EXPECT_EQ(3u, AppendText(g.dst(), 4, "abc"));
    EXPECT_STREQ("wxy", g.bytes);
    EXPECT_TRUE(g.CanariesIntact());
}

TEST(CopyTextN, StopsAtSourceLimitOrTerminator)
{
    const char noTerminator[7] = {'1', '2', '3', '4', '5', '6', '7'};
    Guarded g(16);
    EXPECT_EQ(7u, CopyTextN(g.dst(), 16, noTerminator, sizeof noTerminator));
    EXPECT_STREQ("1234567", g.bytes);

    Guarded h(16);
    EXPECT_EQ(2u, CopyTextN(h.dst(), 16, "ab\0cd", 5));
    EXPECT_STREQ("ab", h.bytes);

    Guarded k(4);
    EXPECT_EQ(3u, CopyTextN(k.dst(), 4, noTerminator, sizeof noTerminator));
    EXPECT_STREQ("123", k.bytes);
    EXPECT_TRUE(k.CanariesIntact());
}

}  // namespace
