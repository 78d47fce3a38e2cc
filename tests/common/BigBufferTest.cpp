// Large blocks of memory taken at once and kept for reuse once let go of.

#include "common/BigBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace h5;

TEST(BigBuffer, HoldsTheBytesAskedForOrIsNullForNone)
{
    for (const qsizetype size : {qsizetype(1), qsizetype(4095), qsizetype(1) << 20,
                                 (qsizetype(5) << 20) + 3}) {
        BigBuffer b(size);
        ASSERT_FALSE(b.isNull()) << size;
        EXPECT_EQ(b.size(), size);
        std::memset(b.data(), 0x5A, size_t(size));
        EXPECT_EQ(b.data()[size - 1], 0x5A);
    }
    for (const qsizetype size : {qsizetype(0), qsizetype(-1)}) {
        const BigBuffer b(size);
        EXPECT_TRUE(b.isNull()) << size;
        EXPECT_EQ(b.size(), 0);
    }
}

// A second build must not ask the system for its memory again.
TEST(BigBuffer, BlockLetGoOfServesTheNextOneOfItsSize)
{
    // A size no other test of this program lets go of.
    const qsizetype size = qsizetype(70) << 20;
    const char *first = nullptr;
    {
        BigBuffer b(size);
        ASSERT_FALSE(b.isNull());
        first = b.data();
    }
    BigBuffer again(size - 100);
    EXPECT_EQ(again.data(), first);
    EXPECT_EQ(again.size(), size - 100);
    // Held now: another block of that size is a different one.
    BigBuffer other(size);
    ASSERT_FALSE(other.isNull());
    EXPECT_NE(other.data(), first);
}

TEST(BigBuffer, SmallRequestDoesNotTakeAMuchLargerKeptBlock)
{
    const char *large = nullptr;
    {
        BigBuffer b(qsizetype(40) << 20);
        large = b.data();
    }
    BigBuffer small(qsizetype(1) << 20);
    ASSERT_FALSE(small.isNull());
    EXPECT_NE(small.data(), large);
}

TEST(BigBuffer, MovedBlockHasOneOwner)
{
    BigBuffer a(qsizetype(3) << 20);
    const char *at = a.data();
    BigBuffer b(std::move(a));
    EXPECT_TRUE(a.isNull());
    EXPECT_EQ(b.data(), at);
    BigBuffer c;
    c = std::move(b);
    EXPECT_TRUE(b.isNull());
    EXPECT_EQ(c.data(), at);
    EXPECT_EQ(c.size(), qsizetype(3) << 20);
}
