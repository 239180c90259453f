#include "interface/handle_registry.h"

#include <atomic>
#include <deque>
#include <mutex>

#include "core/vorl_error.h"
#include "model/vorl.h"

namespace vorl::handles {

// The state word of a slot: generation (32 bits), live, pending destruction,
// and the number of leases held (the rest).
constexpr std::uint64_t kGenerationMask = 0xFFFFFFFFULL;
constexpr std::uint64_t kLive = std::uint64_t{1} << 32;
constexpr std::uint64_t kPending = std::uint64_t{1} << 33;
constexpr std::uint64_t kOneUser = std::uint64_t{1} << 34;

constexpr std::uint64_t usersOf(std::uint64_t word) { return word / kOneUser; }

// One model's slot, alone on its cache line so that leases on models used by
// different threads never share one.
struct alignas(64) Slot {
  std::atomic<std::uint64_t> word{0};
  std::atomic<VORL*> model{nullptr};
  std::uint64_t index = 0;  // its place in the registry
};

namespace {

constexpr std::uint64_t kChunkSlots = 1024;
constexpr std::uint64_t kChunks = NativeLayout::kSlots / kChunkSlots < 4096 ? NativeLayout::kSlots / kChunkSlots : 4096;
// Freed slots wait in line until this many are free before one is used
// again, so that a slot's generation advances slowly.
constexpr std::size_t kReuseReserve = 1024;

struct Registry {
  std::mutex mutex;  // creation and deletion only
  std::atomic<Slot*> chunks[kChunks] = {};
  std::uint64_t freshSlots = 0;     // slots handed out so far, in order
  std::deque<std::uint64_t> freed;  // freed slots, oldest first
  std::atomic<std::size_t> live{0};
};

// Never destroyed: a model may be deleted from a static destructor of the host.
Registry& registry() {
  static Registry* const instance = new Registry;
  return *instance;
}

Slot* slotAt(std::uint64_t index) noexcept {
  if (index >= kChunks * kChunkSlots) return nullptr;
  Slot* chunk = registry().chunks[index / kChunkSlots].load(std::memory_order_acquire);
  return chunk != nullptr ? &chunk[index % kChunkSlots] : nullptr;
}

// A slot for a new model, under the registry's lock.
std::uint64_t takeSlot(Registry& r) {
  const bool fresh = r.freshSlots < kChunks * kChunkSlots;
  if (!r.freed.empty() && (r.freed.size() > kReuseReserve || !fresh)) {
    const std::uint64_t index = r.freed.front();
    r.freed.pop_front();
    return index;
  }
  if (!fresh) throw VORLERROR(VORL_E_INTERNAL, "VorlModelCreate", "no handle is left: too many models exist at once");
  const std::uint64_t index = r.freshSlots;
  std::atomic<Slot*>& chunk = r.chunks[index / kChunkSlots];
  if (chunk.load(std::memory_order_relaxed) == nullptr) {
    // Never freed: a handle read late must always find its slot's memory.
    Slot* slots = new Slot[kChunkSlots];
    for (std::uint64_t k = 0; k < kChunkSlots; ++k) slots[k].index = index / kChunkSlots * kChunkSlots + k;
    chunk.store(slots, std::memory_order_release);
  }
  ++r.freshSlots;
  return index;
}

void destroy(Slot& slot, std::uint64_t index, std::uint64_t generation) noexcept {
  delete slot.model.exchange(nullptr, std::memory_order_acq_rel);
  Registry& r = registry();
  --r.live;
  if (generation == 0) return;  // retired
  try {
    std::lock_guard<std::mutex> lock(r.mutex);
    r.freed.push_back(index);
  } catch (...) {
    // A slot that cannot be queued is simply not used again.
  }
}

// The lease count goes down; the last one out of a deleted model destroys it.
void release(Slot& slot) noexcept {
  std::uint64_t word = slot.word.fetch_sub(kOneUser, std::memory_order_acq_rel) - kOneUser;
  while (usersOf(word) == 0 && (word & kPending) != 0) {
    if (slot.word.compare_exchange_weak(word, word & ~kPending, std::memory_order_acq_rel)) {
      destroy(slot, slot.index, word & kGenerationMask);
      return;
    }
  }
}

}  // namespace

Lease::Lease(Lease&& other) noexcept : slot_(other.slot_), model_(other.model_) {
  other.slot_ = nullptr;
  other.model_ = nullptr;
}

Lease::~Lease() {
  if (slot_ != nullptr) release(*slot_);
}

VorlHandle add(std::unique_ptr<VORL> model) {
  Registry& r = registry();
  std::uint64_t index = 0;
  {
    std::lock_guard<std::mutex> lock(r.mutex);
    index = takeSlot(r);
  }
  Slot& slot = *slotAt(index);
  std::uint64_t generation = slot.word.load(std::memory_order_acquire) & kGenerationMask;
  if (generation == 0) generation = 1;  // a fresh slot
  slot.model.store(model.release(), std::memory_order_release);
  // Leases of stale handles may be passing through: keep their counts.
  std::uint64_t word = slot.word.load(std::memory_order_acquire);
  while (!slot.word.compare_exchange_weak(word, (word & ~kGenerationMask) | generation | kLive,
                                          std::memory_order_acq_rel)) {
  }
  ++r.live;
  return reinterpret_cast<VorlHandle>(static_cast<std::uintptr_t>(NativeLayout::encode(index, generation)));
}

Lease acquire(VorlHandle handle) noexcept {
  const std::uint64_t value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  Slot* slot = slotAt(NativeLayout::slotOf(value));
  if (handle == nullptr || slot == nullptr) return Lease();
  const std::uint64_t word = slot->word.fetch_add(kOneUser, std::memory_order_acq_rel);
  if ((word & kLive) == 0 || (word & kGenerationMask) != NativeLayout::generationOf(value)) {
    release(*slot);
    return Lease();
  }
  return Lease(slot, slot->model.load(std::memory_order_acquire));
}

bool remove(VorlHandle handle) noexcept {
  const std::uint64_t value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
  Slot* slot = slotAt(NativeLayout::slotOf(value));
  if (handle == nullptr || slot == nullptr) return false;
  std::uint64_t word = slot->word.load(std::memory_order_acquire);
  std::uint64_t next = 0;
  do {
    if ((word & kLive) == 0 || (word & kGenerationMask) != NativeLayout::generationOf(value)) return false;
    // The handle goes stale at once; a retiring slot keeps generation 0.
    next = (word & ~(kGenerationMask | kLive)) | NativeLayout::nextGeneration(word & kGenerationMask);
    if (usersOf(word) != 0) next |= kPending;
  } while (!slot->word.compare_exchange_weak(word, next, std::memory_order_acq_rel));
  if (usersOf(word) == 0) destroy(*slot, NativeLayout::slotOf(value), next & kGenerationMask);
  return true;
}

std::size_t liveCount() noexcept { return registry().live.load(); }

}  // namespace vorl::handles
