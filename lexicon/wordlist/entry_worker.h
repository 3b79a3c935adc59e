#pragma once
// The second half of reading a large word list, on a second thread: each entry goes into
// the index that finds duplicates and gets its checks there, while the first thread reads
// on. Their messages go where handling each entry at once would have put them, so the
// output does not depend on the thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "lexicon/base/diagnostics.h"
#include "lexicon/checks/check_opt_out.h"
#include "lexicon/checks/typography_checks.h"

namespace lexicon {

// One entry as the reader leaves it: the texts are final; where the translation stands
// in its line is copied, for messages that name a column.
struct EntryJob {
    std::uint32_t original_offset;
    std::uint32_t translation_offset;
    std::uint16_t original_length;
    std::uint16_t translation_length;
    std::uint32_t line;
    std::uint32_t hash;  // of the original
    bool placeholders_checked;
    CheckOptOut checks_off;
    std::string_view before;
    std::uint32_t before_extra;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> escapes;
    std::size_t position;  // how many messages the run had when the entry was read

    TranslationPlace place() const { return {line, true, before, before_extra, &escapes}; }
};

class EntryWorker {
public:
    using Handler = std::function<void(const EntryJob&, Diagnostics&)>;
    using Prepare = std::function<void(EntryJob&)>;

    // `max_listed`: how many messages the run lists at most (those beyond are counted).
    // `prepare` gets each entry once, a few entries before `handler` does (to prefetch
    // what handling it needs).
    EntryWorker(std::size_t max_listed, Handler handler, Prepare prepare);
    ~EntryWorker();
    EntryWorker(const EntryWorker&) = delete;
    EntryWorker& operator=(const EntryWorker&) = delete;

    void queue(EntryJob job);

    // Waits until every queued entry is handled and adds their messages to `diagnostics`
    // in their places.
    void finish(Diagnostics& diagnostics);

private:
    void hand_over();
    void run();

    Handler handler_;
    Prepare prepare_;
    std::vector<EntryJob> filling_;  // the reader's batch, not yet handed over
    std::mutex mutex_;
    std::condition_variable ready_;              // a batch is waiting, or the reader is done
    std::condition_variable room_;               // the worker took a batch, or stopped
    std::deque<std::vector<EntryJob>> batches_;  // guarded by mutex_
    std::vector<std::vector<EntryJob>> spare_;   // handled batches, guarded by mutex_
    bool closed_ = false;                        // guarded by mutex_
    bool stopped_ = false;                       // the worker failed; guarded by mutex_
    // The worker's own; read by finish() after the join.
    Diagnostics found_;
    std::vector<std::size_t> positions_;  // of each message listed in found_
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace lexicon
