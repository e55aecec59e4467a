#pragma once
// Base for the COM objects this program implements: one atomic reference count for the whole
// object and QueryInterface over the listed interfaces. IUnknown is answered with the first
// interface, so every object has one stable identity.
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

namespace mirvot {

// Saturating reference count changed only by compare-and-exchange: once the count reaches the
// largest positive value it no longer moves, so an object that leaked that many references is
// never freed behind its holders' backs.
class AtomicRefCount {
 public:
  static constexpr LONG kSaturated = 0x7FFFFFFF;

  explicit AtomicRefCount(LONG initial = 1) noexcept : count_(initial) {}

  ULONG Increment() noexcept {
    LONG current = count_.load(std::memory_order_relaxed);
    for (;;) {
      if (current == kSaturated) {
        return static_cast<ULONG>(kSaturated);
      }
      if (count_.compare_exchange_weak(current, current + 1, std::memory_order_relaxed)) {
        return static_cast<ULONG>(current + 1);
      }
    }
  }

  // Returns the new count; 0 means the caller must destroy the object.
  ULONG Decrement() noexcept {
    LONG current = count_.load(std::memory_order_relaxed);
    for (;;) {
      if (current == kSaturated) {
        return static_cast<ULONG>(kSaturated - 1);
      }
      if (count_.compare_exchange_weak(current, current - 1, std::memory_order_acq_rel)) {
        return static_cast<ULONG>(current - 1);
      }
    }
  }

 private:
  std::atomic<LONG> count_;
};

template <typename First, typename... Rest>
class ComObject : public First, public Rest... {
 public:
  ComObject() noexcept = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
    if (object == nullptr) {
      return E_POINTER;
    }
    *object = nullptr;
    if (riid == __uuidof(IUnknown)) {
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (!FindListed<First, Rest...>(riid, object)) {
      const HRESULT hr = QueryExtraInterface(riid, object);
      if (FAILED(hr)) {
        *object = nullptr;
      }
      return hr;
    }
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() noexcept override { return refs_.Increment(); }

  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const ULONG remaining = refs_.Decrement();
    if (remaining == 0) {
      delete this;
    }
    return remaining;
  }

  // The object's identity as IUnknown.
  IUnknown* AsUnknown() noexcept { return static_cast<First*>(this); }

 protected:
  virtual ~ComObject() = default;

  // Interfaces answered beyond the listed ones (an aggregated marshaler, for example). On
  // success the override stores an interface that already carries its own reference.
  virtual HRESULT QueryExtraInterface(REFIID /*riid*/, void** /*object*/) noexcept {
    return E_NOINTERFACE;
  }

 private:
  // Stores the listed interface the ID names, if any.
  template <typename... Interfaces>
  bool FindListed(REFIID riid, void** object) noexcept {
    return ((riid == __uuidof(Interfaces) && (*object = static_cast<Interfaces*>(this), true)) ||
            ...);
  }

  AtomicRefCount refs_{1};
};

// Creates a COM object with its first reference owned by the caller; null when memory runs out.
template <typename T, typename... Args>
T* MakeComObject(Args&&... args) noexcept {
  return new (std::nothrow) T(std::forward<Args>(args)...);
}

// Takes over a reference the caller already owns (a new object's first one). MinGW's
// ComPtr::Attach adds a reference of its own, unlike the documented behaviour, so adopting
// through it would leak; this works the same with every toolchain.
template <typename T>
Microsoft::WRL::ComPtr<T> AdoptComReference(T* owned) noexcept {
  Microsoft::WRL::ComPtr<T> result;
  *result.ReleaseAndGetAddressOf() = owned;
  return result;
}

// Asks an object for interface T. The result holds a pointer only when the query succeeded:
// after a failure COM leaves no reference with the caller, so a pointer that a misbehaving
// object still wrote is neither kept nor released (releasing it would destroy the object under
// its owner). A query that reports success without a pointer is answered with E_POINTER, so that
// no caller goes on to call through null.
template <typename T, typename From>
[[nodiscard]] HRESULT QueryInterfaceTo(From* object, Microsoft::WRL::ComPtr<T>& result) noexcept {
  result.Reset();
  void* pointer = nullptr;
  const HRESULT hr = object->QueryInterface(__uuidof(T), &pointer);
  if (FAILED(hr)) {
    return hr;
  }
  if (pointer == nullptr) {
    return E_POINTER;
  }
  *result.ReleaseAndGetAddressOf() = static_cast<T*>(pointer);
  return hr;
}

}  // namespace mirvot
