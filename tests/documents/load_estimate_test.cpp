// Whether a list can be opened: the estimate grows with bytes and lines, counts room for
// one 全部替换, and the refusal names the size, the need and the limit.
#include <gtest/gtest.h>

#include <string>

#include "documents/load_estimate.h"

namespace {

using namespace documents;

TEST(LoadEstimate, TenMegabytesFitAndFiftyDoNotInAThirtyTwoBitProcess) {
    const std::uint64_t MB = 1024 * 1024, available = 3800 * MB;  // a large-address-aware 32-bit process
    struct Case {
        const char* what;
        std::uint64_t bytes, lines;
        bool fits;
    } cases[] = {
        {"a usual list", 640 * 1024, 12785, true},
        {"10 MB, 184,000 lines", 10 * MB, 184000, true},
        {"the benchmark's 10 MB, 194,287 lines", 10 * MB, 194287, true},
        {"50 MB, 922,000 lines", 50 * MB, 922000, false},
        {"50 MB on one line", 50 * MB, 1, false},
    };
    for (const Case& c : cases) EXPECT_EQ(EstimatedOpenBytes(c.bytes, c.lines) <= available, c.fits) << c.what;
    // Room for one 全部替换: twice the text.
    EXPECT_EQ(EstimatedOpenBytes(2 * MB, 2000), 2 * EstimatedOpenBytes(MB, 1000));
}

TEST(LoadEstimate, TheRefusalNamesSizeNeedAndLimitAndTheCompiler) {
    std::string text = TooLargeToOpenMessage("C:\\大.txt", 50ull * 1024 * 1024, 17ull * 1024 * 1024 * 1024,
                                             3686ull * 1024 * 1024);
    for (const char* part : {"C:\\大.txt", "50.0 MB", "17.0 GB", "3.6 GB", "Mervik"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

}  // namespace
