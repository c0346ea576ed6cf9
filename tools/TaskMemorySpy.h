// Watches the COM task allocator (CoRegisterMallocSpy) while an instance lives: how many
// blocks it hands out and takes back and, when asked, which addresses it frees, to see
// that memory handed over is freed exactly once. The spy behind it lives for the whole
// process: the platform may keep calling it after revocation while allocations made
// under it are still alive.
#pragma once

#include <cstddef>

namespace Tools {

class TaskMemorySpy {
public:
    // Freed addresses are kept only on request: a long run would grow by them.
    enum class Keep { Counts, FreedAddresses };

    explicit TaskMemorySpy(Keep keep);
    ~TaskMemorySpy();
    TaskMemorySpy(const TaskMemorySpy&) = delete;
    TaskMemorySpy& operator=(const TaskMemorySpy&) = delete;

    // False when another spy is registered: then nothing is counted.
    bool Registered() const { return registered_; }
    std::size_t Allocations() const;
    std::size_t Frees() const;
    // How often `address` was freed; 0 unless freed addresses are kept.
    long FreesOf(const void* address) const;

private:
    bool registered_;
};

} // namespace Tools
