#include "osmark/numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// ---------------------------------------------------------------------------------
// Rounding

TEST(Rounding, HalvesGoTowardsZero)
{
    struct Row {
        double x;
        int32_t trunc;
        int32_t round;
    };
    const Row rows[] = {
        {2.5, 2, 2},        {-2.5, -2, -2},     {2.51, 2, 3},     {-2.6, -2, -3},   {-2.7, -2, -3},
        {0.5, 0, 0},        {-0.5, 0, 0},       {0.0, 0, 0},      {1.4999, 1, 1},   {3.5000001, 3, 4},
        {2147483647.4, 2147483647, 2147483647}, {-2147483648.0, INT32_MIN, INT32_MIN},
        {2147483647.6, 2147483647, INT32_MIN},  {1e12, INT32_MIN, INT32_MIN},
        {NAN, INT32_MIN, INT32_MIN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.x);
        EXPECT_EQ(Trunc(row.x), row.trunc);
        EXPECT_EQ(Round(row.x), row.round);
    }
    EXPECT_EQ(RoundF(0.5), 0.0);
    EXPECT_EQ(RoundF(-2.5), -2.0);
    EXPECT_EQ(RoundF(1e12 + 0.7), 1e12 + 1.0) << "no 32-bit limit";
    EXPECT_EQ(RoundNum(7.3, 0.5), 7.5);
    EXPECT_EQ(RoundNum(7.3, 1e-7), 7.3) << "steps below the tolerance leave x alone";
    EXPECT_EQ(RoundNum(7.3, -1e-7), 7.3);
    EXPECT_EQ(RoundNum(7.25, 0.5), 7.0) << "an exact half step goes towards zero";
    EXPECT_EQ(RoundNum(-7.3, 2.0), -8.0);
}

// ---------------------------------------------------------------------------------
// Angles

TEST(CorrectAngle, BringsAnglesIntoOneTurnAndSnaps)
{
    // Snapped results must be exact; reduced ones may carry the rounding of the
    // subtraction.
    enum Exactness { Exact, Reduced };
    struct Row {
        double angle;
        double expected;
        Exactness exactness;
    };
    const Row rows[] = {
        {kTwoPi, kTwoPi, Exact},
        {kTwoPi + 5e-7, kTwoPi, Exact},
        {kTwoPi - 5e-7, kTwoPi, Exact},
        {-5e-7, 0.0, Exact},
        {-1.0, kTwoPi - 1.0, Exact},
        {7.0, 7.0 - kTwoPi, Exact},
        {4.0 * kPi, 0.0, Exact},
        {kPi / 2.0 + 3e-7, kPi / 2.0, Exact},
        {kPi - 9e-7, kPi, Exact},
        {1.5 * kPi + 9e-7, 1.5 * kPi, Exact},
        {1.0, 1.0, Exact},
        {kPi / 2.0 + 2e-6, kPi / 2.0 + 2e-6, Exact},
        {-kTwoPi - 1.0, kTwoPi - 1.0, Reduced},
        {3.0 * kTwoPi + 0.25, 0.25, Reduced},
        {3.0 * kTwoPi + 5e-7, 0.0, Exact},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hexfloat << row.angle);
        if (row.exactness == Exact)
            EXPECT_EQ(CorrectAngle(row.angle), row.expected);
        else
            EXPECT_NEAR(CorrectAngle(row.angle), row.expected, 1e-12);
    }
    for (const double huge : {1e12, -1e12, 1e300, -1e300}) {
        SCOPED_TRACE(huge);
        const double a = CorrectAngle(huge);
        EXPECT_GE(a, 0.0);
        EXPECT_LE(a, kTwoPi);
    }
    EXPECT_EQ(CorrectAngle(INFINITY), 0.0);
    EXPECT_EQ(CorrectAngle(-INFINITY), 0.0);
}

// ---------------------------------------------------------------------------------
// Random numbers and unique numbers

// A second implementation of the generator in integer arithmetic: the table holds
// whole numbers below the modulus, so both must agree exactly.
class ReferenceGenerator {
public:
    explicit ReferenceGenerator(int64_t seed)
    {
        int64_t mj = (1618033 + seed) % kModulus;
        if (mj < 0)
            mj += kModulus;
        m_table[55] = mj;
        int64_t mk = 1;
        for (int i = 1; i <= 54; ++i) {
            const int ii = (21 * i) % 55;
            m_table[ii] = mk;
            mk = mj - mk;
            if (mk < 0)
                mk += kModulus;
            mj = m_table[ii];
        }
        for (int k = 0; k < 4; ++k) {
            for (int i = 1; i <= 55; ++i) {
                m_table[i] -= m_table[1 + (i + 30) % 55];
                if (m_table[i] < 0)
                    m_table[i] += kModulus;
            }
        }
    }

    double next()
    {
        if (++m_next == 56)
            m_next = 1;
        if (++m_partner == 56)
            m_partner = 1;
        int64_t value = m_table[m_next] - m_table[m_partner];
        if (value < 0)
            value += kModulus;
        m_table[m_next] = value;
        return static_cast<double>(value) * 2.5e-7;
    }

private:
    static constexpr int64_t kModulus = 4000000;
    int64_t m_table[56] = {};
    int m_next = 0;
    int m_partner = 31;
};

// Each test runs in a process of its own, so this is the first call since load.
TEST(Random, FirstCallSeedsItselfAndDropsOneValue)
{
    ReferenceGenerator reference(-1);
    reference.next();
    for (int i = 0; i < 200; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Random(nullptr), reference.next());
    }
}

TEST(Random, SameNonPositiveSeedGivesTheSameSequence)
{
    for (const int32_t seed : {0, -1, -7, -4000001, INT32_MIN}) {
        SCOPED_TRACE(seed);
        int32_t first_seed = seed;
        std::vector<double> first{Random(&first_seed)};
        EXPECT_EQ(first_seed, 1) << "the seed is set to 1";
        for (int i = 0; i < 100; ++i)
            first.push_back(Random(&first_seed));

        int32_t second_seed = seed;
        ReferenceGenerator reference(seed);
        for (size_t i = 0; i < first.size(); ++i) {
            const double value = i == 0 ? Random(&second_seed) : Random(nullptr);
            EXPECT_EQ(value, first[i]) << i;
            EXPECT_EQ(value, reference.next()) << i;
            EXPECT_GE(value, 0.0);
            EXPECT_LT(value, 1.0);
        }
    }
}

TEST(GetUniqueID, CountsFromZero)
{
    EXPECT_EQ(GetUniqueID(), 0u);
    EXPECT_EQ(GetUniqueID(), 1u);
    EXPECT_EQ(GetUniqueID(), 2u);
}

// ---------------------------------------------------------------------------------
// Sorting and searching

struct Packed {
    unsigned char bytes[3];
};

int32_t compare_ints(const void* a, const void* b)
{
    int32_t x = 0;
    int32_t y = 0;
    std::memcpy(&x, a, sizeof x);
    std::memcpy(&y, b, sizeof y);
    return (x > y) - (x < y);
}

int32_t compare_packed(const void* a, const void* b)
{
    return static_cast<const unsigned char*>(a)[0] - static_cast<const unsigned char*>(b)[0];
}

TEST(QSort, EqualKeysTerminateAndStayInOrder)
{
    for (const int32_t count : {2, 5, 8, 9, 16, 100, 10000}) {
        SCOPED_TRACE(count);
        std::vector<Packed> elements(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i)
            elements[static_cast<size_t>(i)] = Packed{{7, static_cast<unsigned char>(i), 0xEE}};
        QSort(elements.data(), count, 3, compare_packed);
        int32_t tags = 0;
        for (const Packed& element : elements) {
            EXPECT_EQ(element.bytes[0], 7);
            EXPECT_EQ(element.bytes[2], 0xEE);
            tags += element.bytes[1];
        }
        int32_t expected_tags = 0;
        for (int32_t i = 0; i < count; ++i)
            expected_tags += static_cast<unsigned char>(i);
        EXPECT_EQ(tags, expected_tags) << "every element is still there";
    }
}

TEST(QSort, SortsLikeTheStandardLibrary)
{
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<int32_t>((state >> 8) % 50);
    };
    for (int32_t count = 0; count <= 40; ++count) {
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(testing::Message() << count << " / " << round);
            std::vector<int32_t> values(static_cast<size_t>(count));
            for (int32_t& value : values)
                value = next();
            std::vector<int32_t> expected = values;
            std::sort(expected.begin(), expected.end());
            QSort(values.data(), count, sizeof(int32_t), compare_ints);
            EXPECT_EQ(values, expected);
        }
    }
    std::vector<int32_t> descending(5000);
    for (size_t i = 0; i < descending.size(); ++i)
        descending[i] = static_cast<int32_t>(descending.size() - i);
    QSort(descending.data(), static_cast<int32_t>(descending.size()), sizeof(int32_t), compare_ints);
    EXPECT_TRUE(std::is_sorted(descending.begin(), descending.end()));
}

TEST(QSort, NothingHappensForBadArguments)
{
    int32_t values[] = {3, 1, 2};
    QSort(values, 1, sizeof(int32_t), compare_ints);
    QSort(values, -3, sizeof(int32_t), compare_ints);
    QSort(values, 3, 0, compare_ints);
    QSort(values, 3, -4, compare_ints);
    QSort(values, 3, sizeof(int32_t), nullptr);
    QSort(nullptr, 3, sizeof(int32_t), compare_ints);
    EXPECT_EQ(values[0], 3);
    EXPECT_EQ(values[1], 1);
    EXPECT_EQ(values[2], 2);
}

TEST(BSearch, FindsEveryElementAndNothingElse)
{
    for (int32_t count = 1; count <= 20; ++count) {
        SCOPED_TRACE(count);
        std::vector<int32_t> values;
        for (int32_t i = 0; i < count; ++i)
            values.push_back(2 * i + 1);
        for (int32_t key = 0; key <= 2 * count; ++key) {
            void* found = BSearch(&key, values.data(), count, sizeof(int32_t), compare_ints);
            if (key % 2 == 1)
                EXPECT_EQ(found, &values[static_cast<size_t>(key / 2)]) << key;
            else
                EXPECT_EQ(found, nullptr) << key;
        }
    }
    const int32_t one[] = {5};
    const int32_t five = 5;
    const int32_t four = 4;
    EXPECT_EQ(BSearch(&five, one, 1, sizeof(int32_t), compare_ints), one);
    EXPECT_EQ(BSearch(&four, one, 1, sizeof(int32_t), compare_ints), nullptr);
    EXPECT_EQ(BSearch(nullptr, one, 1, sizeof(int32_t), compare_ints), nullptr);
    EXPECT_EQ(BSearch(&five, nullptr, 1, sizeof(int32_t), compare_ints), nullptr);
    EXPECT_EQ(BSearch(&five, one, 0, sizeof(int32_t), compare_ints), nullptr);
    EXPECT_EQ(BSearch(&five, one, 1, 0, compare_ints), nullptr);
    EXPECT_EQ(BSearch(&five, one, 1, sizeof(int32_t), nullptr), nullptr);
}

}
