#include "migration/migration_worker.h"

#include <system_error>

#include "base/log.h"

namespace migration {

void RequestMigrationCancel() {
    uint32_t word = MigrationState.load(std::memory_order_relaxed);
    while (word & kStateRunningBit)
        if (MigrationState.compare_exchange_weak(word, kStateCancelled, std::memory_order_relaxed))
            return;
}

MigrationWorker::~MigrationWorker() {
    Wait();
}

bool MigrationWorker::Start(const MigrationThreadArgs& args) {
    if (Running()) return false;
    ClearMigrationProgress();
    MigrationState.store(kStateRunning, std::memory_order_relaxed);
    try {
        thread_ = std::async(std::launch::async, [args] { return migrationThread(args); });
        return true;
    } catch (const std::system_error&) {
        WriteLog(L"migration thread could not be created\n");
        MigrationResult.store(kMigrationThreadNotStarted, std::memory_order_relaxed);
        MigrationState.store(kStateFailed, std::memory_order_release);
        return false;
    }
}

bool MigrationWorker::Running() const {
    return !WaitFor(std::chrono::milliseconds(0));
}

bool MigrationWorker::WaitFor(std::chrono::milliseconds timeout) const {
    return !thread_.valid() || thread_.wait_for(timeout) == std::future_status::ready;
}

void MigrationWorker::Wait() const {
    if (thread_.valid()) thread_.wait();
}

}  // namespace migration
