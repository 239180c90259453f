#pragma once

#include <cstdint>
#include <memory>

#include <vorl.h>

namespace vorl {

class VORL;

// The registry of live models behind the handles of the C interface.
//
// A handle is not the model's address: it is a slot number and the slot's
// generation, packed into the handle's bits. Deleting a model advances its
// slot's generation, so a copy of the old handle no longer matches, even when
// the slot (or the model's old address) serves a new model later. A stale or
// made-up handle is therefore refused (code 2), never dereferenced.
//
// Every call holds a lease on its model for its length: a model deleted
// while another thread still works on it is destroyed when that work ends,
// never under it. A lease is two atomic operations on the model's own slot
// (a cache line of its own), so models on different threads do not contend;
// only creating and deleting a model take the registry's lock.
namespace handles {

// How a handle of `HandleBits` bits holds a slot and a generation. 64-bit
// handles: 32 bits each. 32-bit handles: 16 bits each, so at most 65,536
// models at once, and a slot retires after 65,535 models rather than let its
// generation wrap around to an old handle's.
template <unsigned HandleBits>
struct HandleLayout {
  static constexpr unsigned kSlotBits = HandleBits >= 64 ? 32 : 16;
  static constexpr std::uint64_t kSlots = std::uint64_t{1} << kSlotBits;
  static constexpr std::uint64_t kGenerations = std::uint64_t{1} << (HandleBits - kSlotBits);

  static constexpr std::uint64_t encode(std::uint64_t slot, std::uint64_t generation) {
    return slot | (generation << kSlotBits);
  }
  static constexpr std::uint64_t slotOf(std::uint64_t value) { return value & (kSlots - 1); }
  static constexpr std::uint64_t generationOf(std::uint64_t value) { return value >> kSlotBits; }
  // The generation after a deletion; 0 when the slot must retire. Generations
  // start at 1, so no handle is null.
  static constexpr std::uint64_t nextGeneration(std::uint64_t generation) {
    return generation + 1 < kGenerations ? generation + 1 : 0;
  }
};

using NativeLayout = HandleLayout<sizeof(VorlHandle) * 8>;

struct Slot;

// A model held for the length of one call.
class Lease {
 public:
  Lease() noexcept = default;
  Lease(Slot* slot, VORL* model) noexcept : slot_(slot), model_(model) {}
  Lease(Lease&& other) noexcept;
  Lease& operator=(Lease&&) = delete;
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  ~Lease();

  explicit operator bool() const noexcept { return model_ != nullptr; }
  VORL& model() const noexcept { return *model_; }

 private:
  Slot* slot_ = nullptr;
  VORL* model_ = nullptr;
};

// Registers a new model and gives its handle; raises 1 when no slot is left.
VorlHandle add(std::unique_ptr<VORL> model);
// The live model of the handle, held until the lease ends; empty for null,
// stale and made-up handles.
Lease acquire(VorlHandle handle) noexcept;
// Ends the model's registration: its handle is stale from now on, and the
// model is destroyed once no call holds it. False when the handle is not live.
bool remove(VorlHandle handle) noexcept;
// Live models (for tests and diagnostics).
std::size_t liveCount() noexcept;

}  // namespace handles
}  // namespace vorl
