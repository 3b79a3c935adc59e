#pragma once
// The checks of each entry, run on a second thread while the word list is still being
// read: on a large list they take a fifth of the time. Their messages go where checking
// each entry at once would have put them, so the output does not depend on the thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "lexicon/check_opt_out.h"
#include "lexicon/diagnostics.h"
#include "lexicon/entry_checks.h"
#include "lexicon/typography_checks.h"

namespace lexicon {

class EntryCheckWorker {
public:
    // `max_listed`: how many messages the run lists at most (those beyond are counted).
    explicit EntryCheckWorker(std::size_t max_listed);
    ~EntryCheckWorker();
    EntryCheckWorker(const EntryCheckWorker&) = delete;
    EntryCheckWorker& operator=(const EntryCheckWorker&) = delete;

    // Queues the checks of one entry. The texts must not change any more; `position` is
    // the number of messages the run had when the entry was read.
    void queue(std::string_view original, std::string_view translation, PlaceholderCheck placeholders,
               const CheckOptOut& checks_off, const TranslationPlace& place, std::size_t position);

    // Waits for every queued check and adds its messages to `diagnostics` in their places.
    void finish(Diagnostics& diagnostics);

private:
    struct Job {
        std::string_view original;
        std::string_view translation;
        PlaceholderCheck placeholders;
        CheckOptOut checks_off;
        std::uint32_t line;
        std::string_view before;
        std::uint32_t before_extra;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> escapes;
        std::size_t position;
    };

    void hand_over();
    void run();

    std::vector<Job> filling_;  // the reader's batch, not yet handed over
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::vector<Job>> batches_;  // guarded by mutex_
    bool closed_ = false;                   // guarded by mutex_
    // The worker's own; read by finish() after the join.
    Diagnostics found_;
    std::vector<std::size_t> positions_;  // of each message listed in found_
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace lexicon
