#include "lexicon/wordlist/entry_worker.h"

#include <algorithm>

namespace lexicon {

namespace {
// Large enough that the hand-over costs nothing, small enough that the worker starts
// early. The reader waits when it is this many batches ahead: the batches then come back
// for reuse, and the jobs never take more than about a megabyte. A waiting reader is woken
// when a quarter of them are left, not for each batch taken: every wake-up costs both
// threads a trip through the system.
constexpr std::size_t batch_size = 512;
constexpr std::size_t max_waiting_batches = 16;
constexpr std::size_t wake_reader_at = max_waiting_batches / 4;
}  // namespace

EntryWorker::EntryWorker(std::size_t max_listed, Handler handler, Prepare prepare)
    : handler_(std::move(handler)), prepare_(std::move(prepare)), found_(max_listed) {
    filling_.reserve(batch_size);
    thread_ = std::thread([this] { run(); });
}

EntryWorker::~EntryWorker() {
    if (!thread_.joinable()) return;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    ready_.notify_one();
    thread_.join();
}

void EntryWorker::queue(EntryJob job) {
    filling_.push_back(std::move(job));
    if (filling_.size() == batch_size) hand_over();
}

void EntryWorker::hand_over() {
    if (filling_.empty()) return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return batches_.size() < max_waiting_batches || stopped_; });
        batches_.push_back(std::move(filling_));
    }
    ready_.notify_one();
    // A batch the worker is done with comes back: a fresh one would cost the reader new
    // pages every time.
    filling_ = std::vector<EntryJob>();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!spare_.empty()) {
            filling_ = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    filling_.reserve(batch_size);
}

void EntryWorker::run() {
    try {
        for (;;) {
            std::vector<EntryJob> batch;
            bool room = false;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [this] { return closed_ || !batches_.empty(); });
                if (batches_.empty()) return;
                batch = std::move(batches_.front());
                batches_.pop_front();
                room = batches_.size() == wake_reader_at;
            }
            if (room) room_.notify_one();
            constexpr std::size_t ahead = 8;
            for (std::size_t k = 0; k < std::min(ahead, batch.size()); ++k) prepare_(batch[k]);
            for (std::size_t k = 0; k < batch.size(); ++k) {
                if (k + ahead < batch.size()) prepare_(batch[k + ahead]);
                const EntryJob& job = batch[k];
                const std::size_t listed = found_.listed().size();
                handler_(job, found_);
                positions_.insert(positions_.end(), found_.listed().size() - listed, job.position);
            }
            batch.clear();
            const std::lock_guard<std::mutex> lock(mutex_);
            spare_.push_back(std::move(batch));
        }
    } catch (...) {
        failure_ = std::current_exception();
        // The reader must never wait for a worker that is gone.
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = true;
            batches_.clear();
        }
        room_.notify_one();
    }
}

void EntryWorker::finish(Diagnostics& diagnostics) {
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
