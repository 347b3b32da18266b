#pragma once

#include <cstdint>
#include <type_traits>

namespace orvex {

// One owner per resource (a handle of Windows or of a platform interface):
// closed by Closer when the owner goes, never copied. Closer is called with
// the resource; it is empty for a plain function or holds the interface that
// closes it.
template <typename Resource, typename Closer, std::intptr_t InvalidValue = 0>
class UniqueResource : private Closer {
 public:
  static Resource Invalid() noexcept {
    if constexpr (std::is_pointer_v<Resource>) {
      return reinterpret_cast<Resource>(InvalidValue);
    } else {
      return static_cast<Resource>(InvalidValue);
    }
  }

  UniqueResource() noexcept = default;
  explicit UniqueResource(Closer closer) noexcept : Closer(closer) {}
  explicit UniqueResource(Resource resource, Closer closer = Closer()) noexcept : Closer(closer), resource_(resource) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : Closer(other), resource_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    reset(other.release());
    static_cast<Closer&>(*this) = other;
    return *this;
  }
  ~UniqueResource() { reset(); }

  [[nodiscard]] Resource get() const noexcept { return resource_; }
  [[nodiscard]] explicit operator bool() const noexcept { return resource_ != Invalid(); }
  [[nodiscard]] Resource release() noexcept {
    const Resource resource = resource_;
    resource_ = Invalid();
    return resource;
  }
  void reset(Resource resource = Invalid()) noexcept {
    if (resource_ != Invalid()) static_cast<Closer&>(*this)(resource_);
    resource_ = resource;
  }
  // Closes what is held and returns where a call puts the next resource.
  // What a failed call leaves there is no resource: release() drops it.
  [[nodiscard]] Resource* put() noexcept {
    reset();
    return &resource_;
  }

 private:
  Resource resource_ = Invalid();
};

}  // namespace orvex
