#include "array/exchange_sort.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace plimvar;

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

// Records everything the sort does, in the words of the tests below.
struct SortLog
{
    long long comparisons = 0;
    QStringList exchanges;
    std::vector<std::vector<int>> afterPass;
    const WorkArray *array = nullptr;

    void compared(ElementValue, ElementValue) { ++comparisons; }
    void exchanged(ElementValue i, ElementValue j)
    {
        exchanges << QStringLiteral("%1-%2").arg(i).arg(j);
    }
    void passEnded(ElementValue) { afterPass.push_back(valuesOf(*array)); }
};

// The exchange sort written out the plainest way, independent of the
// library's counters, to hold the library's passes against.
std::vector<std::vector<int>> plainPasses(std::vector<int> a)
{
    std::vector<std::vector<int>> passes;
    for (std::size_t i = 0; i + 1 < a.size(); ++i) {
        for (std::size_t j = i + 1; j < a.size(); ++j) {
            if (a[i] > a[j])
                std::swap(a[i], a[j]);
        }
        passes.push_back(a);
    }
    return passes;
}

std::vector<int> randomValues(QRandomGenerator &random, int size, int low, int high)
{
    std::vector<int> values(static_cast<std::size_t>(size));
    for (int &v : values)
        v = random.bounded(low, high + 1);
    return values;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(plimvar::SortPath)

namespace {

const SortPath allPaths[] = {SortPath::Scalar, SortPath::Avx2, SortPath::Avx512};

// Arrays of one shape at any length, the same for every path.
std::vector<int> shaped(const QString &shape, int size)
{
    QRandomGenerator random(static_cast<quint32>(size));
    std::vector<int> values;
    if (shape == "random")
        values = randomValues(random, size, kElementMin, kElementMax);
    else if (shape == "few distinct")
        values = randomValues(random, size, -2, 2);
    else if (shape == "extremes")
        values = randomValues(random, size, 0, 3);
    else
        values.assign(static_cast<std::size_t>(size), 7);
    if (shape == "extremes") {
        const int extreme[] = {kElementMin, kElementMin + 1, kElementMax - 1, kElementMax};
        for (int &v : values)
            v = extreme[v];
    } else if (shape == "ascending" || shape == "descending") {
        for (int k = 0; k < size; ++k)
            values[static_cast<std::size_t>(k)] = shape == "ascending" ? k - 150 : 150 - k;
    }
    return values;
}

// Runs the path pass by pass beside the plain loop; gives the number of the
// first pass after which the two differ, or 0 when none does.
int firstDifferingPass(SortPath path, const std::vector<int> &input)
{
    WorkArray a = workArrayOf(input);
    std::vector<int> plain = input;
    int differing = 0;
    exchangeSort(a, path, [&](ElementValue pass) {
        const auto i = static_cast<std::size_t>(pass - 1);
        for (std::size_t j = i + 1; j < plain.size(); ++j) {
            if (plain[i] > plain[j])
                std::swap(plain[i], plain[j]);
        }
        if (differing == 0 && valuesOf(a) != plain)
            differing = pass;
    });
    return differing;
}

} // namespace

class TestExchangeSort : public QObject
{
    Q_OBJECT

private slots:
    void workArrayCannotBeMadeBelowSizeOne_data();
    void workArrayCannotBeMadeBelowSizeOne();
    void workArrayTestsEveryIndex_data();
    void workArrayTestsEveryIndex();
    void sortsAsDefined_data();
    void sortsAsDefined();
    void passesMatchThePlainLoop_data();
    void passesMatchThePlainLoop();
    void largestSizeOverflowsAfterTheFirstPass();
    void everyPathMatchesThePlainLoop_data();
    void everyPathMatchesThePlainLoop();
    void everyPathAtTheLargestSizes_data();
    void everyPathAtTheLargestSizes();
    void fastestPathIsSupported();
};

void TestExchangeSort::workArrayCannotBeMadeBelowSizeOne_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("-32768") << -32768;
}

void TestExchangeSort::workArrayCannotBeMadeBelowSizeOne()
{
    QFETCH(int, size);
    try {
        WorkArray a(static_cast<ElementValue>(size));
        QFAIL("a work array below size 1 was made");
    } catch (const Failure &failure) {
        QCOMPARE(failure.kind(), FailureKind::Subscript);
    }
}

void TestExchangeSort::workArrayTestsEveryIndex_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("inBounds");

    QTest::newRow("size 3, index 1") << 3 << 1 << true;
    QTest::newRow("size 3, index 3") << 3 << 3 << true;
    QTest::newRow("size 3, index 0") << 3 << 0 << false;
    QTest::newRow("size 3, index 4") << 3 << 4 << false;
    QTest::newRow("size 3, index -32768") << 3 << -32768 << false;
    QTest::newRow("size 32767, index 32767") << 32767 << 32767 << true;
}

void TestExchangeSort::workArrayTestsEveryIndex()
{
    QFETCH(int, size);
    QFETCH(int, index);
    QFETCH(bool, inBounds);

    WorkArray a(static_cast<ElementValue>(size));
    QCOMPARE(a.size(), size);
    const auto i = static_cast<ElementValue>(index);
    bool failed = false;
    try {
        a(i) = 5;
        QCOMPARE(std::as_const(a)(i), ElementValue(5));
    } catch (const Failure &failure) {
        QCOMPARE(failure.kind(), FailureKind::Subscript);
        failed = true;
    }
    QCOMPARE(failed, !inBounds);
}

void TestExchangeSort::sortsAsDefined_data()
{
    QTest::addColumn<std::vector<int>>("input");
    QTest::addColumn<std::vector<int>>("sorted");
    QTest::addColumn<QStringList>("exchanges");

    QTest::newRow("3 1 2") << std::vector{3, 1, 2} << std::vector{1, 2, 3}
                           << QStringList{"1-2", "2-3"};
    QTest::newRow("5 5 1: equal fives stay")
        << std::vector{5, 5, 1} << std::vector{1, 5, 5} << QStringList{"1-3"};
    QTest::newRow("2 2 1") << std::vector{2, 2, 1} << std::vector{1, 2, 2} << QStringList{"1-3"};
    QTest::newRow("already in order")
        << std::vector{1, 2, 3, 4, 5} << std::vector{1, 2, 3, 4, 5} << QStringList{};
    QTest::newRow("all equal") << std::vector{7, 7, 7, 7} << std::vector{7, 7, 7, 7}
                               << QStringList{};
    QTest::newRow("32767 -32768 0") << std::vector{32767, -32768, 0}
                                    << std::vector{-32768, 0, 32767} << QStringList{"1-2", "2-3"};
    QTest::newRow("0 -5 3: signed order")
        << std::vector{0, -5, 3} << std::vector{-5, 0, 3} << QStringList{"1-2"};
    QTest::newRow("reversed 3 2 1")
        << std::vector{3, 2, 1} << std::vector{1, 2, 3} << QStringList{"1-2", "1-3", "2-3"};
    QTest::newRow("size 1") << std::vector{42} << std::vector{42} << QStringList{};
}

void TestExchangeSort::sortsAsDefined()
{
    QFETCH(std::vector<int>, input);
    QFETCH(std::vector<int>, sorted);
    QFETCH(QStringList, exchanges);

    WorkArray a = workArrayOf(input);
    SortLog log;
    log.array = &a;
    exchangeSortReference(a, log);

    const auto m = static_cast<long long>(input.size());
    QCOMPARE(valuesOf(a), sorted);
    QCOMPARE(log.comparisons, m * (m - 1) / 2);
    QCOMPARE(log.exchanges, exchanges);

    WorkArray shipped = workArrayOf(input);
    exchangeSort(shipped);
    QCOMPARE(valuesOf(shipped), sorted);
}

void TestExchangeSort::passesMatchThePlainLoop_data()
{
    QTest::addColumn<std::vector<int>>("input");

    QRandomGenerator random(20261208);
    for (int round = 0; round < 40; ++round) {
        const int size = random.bounded(1, 200);
        QTest::addRow("full range, size %d, #%d", size, round)
            << randomValues(random, size, kElementMin, kElementMax);
        QTest::addRow("few distinct, size %d, #%d", size, round)
            << randomValues(random, size, -3, 3);
    }
}

void TestExchangeSort::passesMatchThePlainLoop()
{
    QFETCH(std::vector<int>, input);

    WorkArray a = workArrayOf(input);
    SortLog log;
    log.array = &a;
    exchangeSortReference(a, log);

    const auto m = static_cast<long long>(input.size());
    QCOMPARE(log.comparisons, m * (m - 1) / 2);
    QCOMPARE(log.afterPass, plainPasses(input));
    for (std::size_t i = 0; i < log.afterPass.size(); ++i) {
        const std::vector<int> &pass = log.afterPass[i];
        // Pass i leaves the smallest of a(i) ... a(m) in a(i).
        QCOMPARE(pass[i], *std::min_element(pass.begin() + static_cast<long>(i), pass.end()));
    }
    std::sort(input.begin(), input.end());
    QCOMPARE(valuesOf(a), input);
}

void TestExchangeSort::largestSizeOverflowsAfterTheFirstPass()
{
    QRandomGenerator random(7);
    const std::vector<int> input = randomValues(random, kElementMax, kElementMin, kElementMax);
    WorkArray a = workArrayOf(input);
    SortLog log;
    log.array = &a;
    try {
        exchangeSortReference(a, log);
        QFAIL("a work array of 32767 elements sorted to the end");
    } catch (const Failure &failure) {
        QCOMPARE(failure.kind(), FailureKind::Overflow);
    }
    // The whole first pass ran, and not one comparison of the second.
    QCOMPARE(log.comparisons, kElementMax - 1);
    QVERIFY(log.afterPass.empty());
    QCOMPARE(a(1), *std::min_element(input.begin(), input.end()));
}

void TestExchangeSort::everyPathMatchesThePlainLoop_data()
{
    QTest::addColumn<SortPath>("path");
    QTest::addColumn<QString>("shape");

    for (SortPath path : allPaths) {
        for (const char *shape :
             {"random", "few distinct", "extremes", "ascending", "descending", "all equal"}) {
            QTest::addRow("%s, %s", nameOf(path).data(), shape) << path << QString(shape);
        }
    }
}

// Every length up to 300, and lengths either side of the edges of the
// vector paths' tiles (256 and 1024 elements): since each pass starts one
// element later, these cross every start within a tile and every tail.
void TestExchangeSort::everyPathMatchesThePlainLoop()
{
    QFETCH(SortPath, path);
    QFETCH(QString, shape);
    if (!isSupported(path))
        QSKIP("this processor lacks the path");

    std::vector<int> sizes;
    for (int size = 1; size <= 300; ++size)
        sizes.push_back(size);
    sizes.insert(sizes.end(), {511, 512, 513, 1023, 1024, 1025, 2047, 2048, 2049, 2081});
    for (int size : sizes) {
        if (const int pass = firstDifferingPass(path, shaped(shape, size)))
            QFAIL(qPrintable(QStringLiteral("size %1 differs after pass %2").arg(size).arg(pass)));
    }
}

void TestExchangeSort::everyPathAtTheLargestSizes_data()
{
    QTest::addColumn<SortPath>("path");
    for (SortPath path : allPaths)
        QTest::newRow(nameOf(path).data()) << path;
}

void TestExchangeSort::everyPathAtTheLargestSizes()
{
    QFETCH(SortPath, path);
    if (!isSupported(path))
        QSKIP("this processor lacks the path");
    QRandomGenerator random(32766);

    // 32766 sorts to the end.
    std::vector<int> input = randomValues(random, kElementMax - 1, kElementMin, kElementMax);
    WorkArray a = workArrayOf(input);
    exchangeSort(a, path);
    std::sort(input.begin(), input.end());
    QCOMPARE(valuesOf(a), input);

    // 32767 fails after its first pass, which is complete.
    input = randomValues(random, kElementMax, kElementMin, kElementMax);
    std::vector<int> firstPass = input;
    for (std::size_t j = 1; j < firstPass.size(); ++j) {
        if (firstPass[0] > firstPass[j])
            std::swap(firstPass[0], firstPass[j]);
    }
    a = workArrayOf(input);
    int passesEnded = 0;
    try {
        exchangeSort(a, path, [&](ElementValue) { ++passesEnded; });
        QFAIL("a work array of 32767 elements sorted to the end");
    } catch (const Failure &failure) {
        QCOMPARE(failure.kind(), FailureKind::Overflow);
    }
    QCOMPARE(passesEnded, 0);
    QCOMPARE(valuesOf(a), firstPass);
}

void TestExchangeSort::fastestPathIsSupported()
{
    QVERIFY(isSupported(fastestSortPath()));
    QVERIFY(isSupported(SortPath::Scalar));
}

QTEST_GUILESS_MAIN(TestExchangeSort)
#include "tst_exchange_sort.moc"
