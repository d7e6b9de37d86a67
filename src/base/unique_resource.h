// The one owner of a system handle that every back-end uses (a file descriptor, a Win32 HANDLE,
// an open folder...): released when it ends, moved but never copied, so that no handle is
// released twice or by hand.
#pragma once

namespace tunovar {

// Traits says what is owned:
//   using Handle = ...;              the handle's type
//   static Handle None();            the value that stands for no handle (what a failed open gives)
//   static void Release(Handle h);   gives a valid handle back to the system
template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() = default;
  explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueResource() { reset(); }

  [[nodiscard]] Handle get() const { return handle_; }
  [[nodiscard]] bool valid() const { return handle_ != Traits::None(); }
  explicit operator bool() const { return valid(); }
  // For calls that fill a handle through a pointer (RegOpenKeyExA...); releases the old one.
  [[nodiscard]] Handle* put() {
    reset();
    return &handle_;
  }
  [[nodiscard]] Handle release() {
    Handle handle = handle_;
    handle_ = Traits::None();
    return handle;
  }
  void reset(Handle handle = Traits::None()) {
    if (valid()) Traits::Release(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::None();
};

}  // namespace tunovar
