#include "exchange_sort_reference.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace plimvar;
using testing::exchangeSortReference;

namespace {

WorkArray workArrayOf(const std::vector<int> &values)
{
    WorkArray a(static_cast<ElementValue>(values.size()));
    for (std::size_t k = 0; k < values.size(); ++k)
        a(static_cast<ElementValue>(k + 1)) = static_cast<ElementValue>(values[k]);
    return a;
}

std::vector<int> valuesOf(const WorkArray &a)
{
    return {a.elements().begin(), a.elements().end()};
}

// Records everything the reference sort does, in the words of the tests.
struct SortLog
{
    long long comparisons = 0;
    std::vector<std::string> exchanges;
    std::vector<std::vector<int>> afterPass;
    const WorkArray *array = nullptr;

    void compared(ElementValue, ElementValue) { ++comparisons; }
    void exchanged(ElementValue i, ElementValue j)
    {
        exchanges.push_back(std::to_string(i) + "-" + std::to_string(j));
    }
    void passEnded(ElementValue) { afterPass.push_back(valuesOf(*array)); }
};

std::vector<int> randomValues(std::mt19937 &random, int size, int low, int high)
{
    std::uniform_int_distribution<int> value(low, high);
    std::vector<int> values(static_cast<std::size_t>(size));
    for (int &v : values)
        v = value(random);
    return values;
}

// Arrays of one shape at any size, each holding -32768 and 32767 where it
// has room for them.
std::vector<int> shaped(const std::string &shape, int size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::vector<int> values;
    if (shape == "random")
        values = randomValues(random, size, kElementMin, kElementMax);
    else if (shape == "few distinct")
        values = randomValues(random, size, -2, 2);
    else if (shape == "all equal")
        values.assign(static_cast<std::size_t>(size), 7);
    else
        for (int k = 0; k < size; ++k)
            values.push_back(shape == "ascending" ? k - size / 2 : size / 2 - k);
    if (shape != "all equal" && size >= 3) {
        values[static_cast<std::size_t>(size) / 3] = kElementMin;
        values[static_cast<std::size_t>(size) / 2] = kElementMax;
    }
    return values;
}

const char *const shapes[] = {"random", "few distinct", "ascending", "descending", "all equal"};

} // namespace

TEST_CASE("a work array cannot be made below size 1")
{
    for (int size : {0, -1, -32768}) {
        CAPTURE(size);
        try {
            WorkArray a(static_cast<ElementValue>(size));
            FAIL("a work array below size 1 was made");
        } catch (const Failure &failure) {
            CHECK(failure.kind() == FailureKind::Subscript);
        }
    }
}

TEST_CASE("a work array tests every index")
{
    struct Access
    {
        int size, index;
        bool inBounds;
    };
    const Access table[] = {{3, 1, true},  {3, 3, true},       {3, 0, false},
                            {3, 4, false}, {3, -32768, false}, {32767, 32767, true}};
    for (const Access &row : table) {
        CAPTURE(row.size);
        CAPTURE(row.index);
        WorkArray a(static_cast<ElementValue>(row.size));
        CHECK(a.size() == row.size);
        const auto i = static_cast<ElementValue>(row.index);
        bool failed = false;
        try {
            a(i) = 5;
            CHECK(std::as_const(a)(i) == 5);
        } catch (const Failure &failure) {
            CHECK(failure.kind() == FailureKind::Subscript);
            failed = true;
        }
        CHECK(failed == !row.inBounds);
    }
}

TEST_CASE("the reference sort compares and exchanges as defined")
{
    struct Sorting
    {
        std::vector<int> input, sorted;
        std::vector<std::string> exchanges;
    };
    const Sorting table[] = {
        {{3, 1, 2}, {1, 2, 3}, {"1-2", "2-3"}},
        {{5, 5, 1}, {1, 5, 5}, {"1-3"}}, // the equal fives stay
        {{2, 2, 1}, {1, 2, 2}, {"1-3"}},
        {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {}},
        {{7, 7, 7, 7}, {7, 7, 7, 7}, {}},
        {{32767, -32768, 0}, {-32768, 0, 32767}, {"1-2", "2-3"}},
        {{0, -5, 3}, {-5, 0, 3}, {"1-2"}},
        {{3, 2, 1}, {1, 2, 3}, {"1-2", "1-3", "2-3"}},
        {{42}, {42}, {}},
    };
    for (const Sorting &row : table) {
        WorkArray a = workArrayOf(row.input);
        SortLog log;
        log.array = &a;
        exchangeSortReference(a, log);

        const auto m = static_cast<long long>(row.input.size());
        CHECK(valuesOf(a) == row.sorted);
        CHECK(log.comparisons == m * (m - 1) / 2);
        CHECK(log.exchanges == row.exchanges);
    }
}

TEST_CASE("each pass of the reference sort leaves the smallest first")
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 40; ++round) {
        const int size = std::uniform_int_distribution<int>(1, 199)(random);
        for (const std::vector<int> &input : {randomValues(random, size, kElementMin, kElementMax),
                                              randomValues(random, size, -3, 3)}) {
            WorkArray a = workArrayOf(input);
            SortLog log;
            log.array = &a;
            exchangeSortReference(a, log);

            const auto m = static_cast<long long>(input.size());
            CHECK(log.comparisons == m * (m - 1) / 2);
            CHECK(log.afterPass.size() == input.size() - 1);
            for (std::size_t i = 0; i < log.afterPass.size(); ++i) {
                const std::vector<int> &pass = log.afterPass[i];
                // Pass i leaves the smallest of a(i) ... a(m) in a(i), and
                // a(1) ... a(i - 1) as the pass before left them.
                CHECK(pass[i] ==
                      *std::min_element(pass.begin() + static_cast<long>(i), pass.end()));
                if (i > 0)
                    CHECK(std::equal(pass.begin(), pass.begin() + static_cast<long>(i),
                                     log.afterPass[i - 1].begin()));
            }
        }
    }
}

TEST_CASE("the reference sort overflows after the first pass at 32767")
{
    std::mt19937 random(7);
    const std::vector<int> input = randomValues(random, kElementMax, kElementMin, kElementMax);
    WorkArray a = workArrayOf(input);
    SortLog log;
    log.array = &a;
    CHECK_THROWS_AS(exchangeSortReference(a, log), Failure);
    // The whole first pass ran, and not one comparison of the second.
    CHECK(log.comparisons == kElementMax - 1);
    CHECK(log.afterPass.empty());
    CHECK(a(1) == *std::min_element(input.begin(), input.end()));
}

// The shipped sort leaves what the reference leaves.
TEST_CASE("the shipped sort gives the reference's result")
{
    for (const char *shape : shapes) {
        for (int size = 1; size <= 300; size += size < 20 ? 1 : 7) {
            const std::vector<int> input = shaped(shape, size);
            WorkArray expected = workArrayOf(input);
            exchangeSortReference(expected);
            WorkArray a = workArrayOf(input);
            exchangeSort(a);

            CAPTURE(shape);
            CAPTURE(size);
            REQUIRE(valuesOf(a) == valuesOf(expected));
        }
    }
}

TEST_CASE("the shipped sort at the largest sizes")
{
    for (const char *shape : shapes) {
        CAPTURE(shape);
        // 32766 sorts to the end.
        std::vector<int> input = shaped(shape, kElementMax - 1);
        WorkArray a = workArrayOf(input);
        exchangeSort(a);
        std::sort(input.begin(), input.end());
        CHECK(valuesOf(a) == input);

        // 32767 fails as the reference does, after its first pass.
        input = shaped(shape, kElementMax);
        WorkArray firstPass = workArrayOf(input);
        CHECK_THROWS_AS(exchangeSortReference(firstPass), Failure);
        a = workArrayOf(input);
        try {
            exchangeSort(a);
            FAIL("an array of 32767 elements sorted to the end");
        } catch (const Failure &failure) {
            CHECK(failure.kind() == FailureKind::Overflow);
        }
        CHECK(valuesOf(a) == valuesOf(firstPass));
    }
}
