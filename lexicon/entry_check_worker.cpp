#include "lexicon/entry_check_worker.h"

namespace lexicon {

namespace {
// Large enough that the hand-over costs nothing, small enough that the worker starts
// early.
constexpr std::size_t batch_size = 2048;
}  // namespace

EntryCheckWorker::EntryCheckWorker(std::size_t max_listed) : found_(max_listed) {
    filling_.reserve(batch_size);
    thread_ = std::thread([this] { run(); });
}

EntryCheckWorker::~EntryCheckWorker() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_one();
    thread_.join();
}

void EntryCheckWorker::queue(std::string_view original, std::string_view translation, PlaceholderCheck placeholders,
                             const CheckOptOut& checks_off, const TranslationPlace& place, std::size_t position) {
    Job job{original,     translation,        placeholders, checks_off, place.line,
            place.before, place.before_extra, {},           position};
    if (place.escapes != nullptr) job.escapes = *place.escapes;
    filling_.push_back(std::move(job));
    if (filling_.size() == batch_size) hand_over();
}

void EntryCheckWorker::hand_over() {
    if (filling_.empty()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        batches_.push_back(std::move(filling_));
    }
    ready_.notify_one();
    filling_ = std::vector<Job>();
    filling_.reserve(batch_size);
}

void EntryCheckWorker::run() {
    try {
        for (;;) {
            std::vector<Job> batch;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return closed_ || !batches_.empty(); });
                if (batches_.empty()) return;
                batch = std::move(batches_.front());
                batches_.pop_front();
            }
            for (const Job& job : batch) {
                const TranslationPlace place{job.line, true, job.before, job.before_extra, &job.escapes};
                const std::size_t listed = found_.listed().size();
                check_entry(job.original, job.translation, job.line, found_, job.placeholders, job.checks_off, &place);
                positions_.insert(positions_.end(), found_.listed().size() - listed, job.position);
            }
        }
    } catch (...) {
        failure_ = std::current_exception();
        // Drain, so that the reader never waits on a worker that is gone.
        const std::lock_guard<std::mutex> lock(mutex_);
        batches_.clear();
    }
}

void EntryCheckWorker::finish(Diagnostics& diagnostics) {
    hand_over();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_one();
    thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    diagnostics.merge_found_apart(found_, positions_);
}

}  // namespace lexicon
