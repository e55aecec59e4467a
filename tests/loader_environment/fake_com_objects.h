#pragma once
// Counting stand-ins for the COM objects around the loader: the caller's completion handler,
// and objects posing as an environment or an options object.
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>

#include <vector>

#include "common/com_object.h"
#include "harness/com_references.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test {

struct HandlerCall {
  HRESULT errorCode = S_OK;
  ICoreWebView2Environment* environment = nullptr;
  // The reference the handler took, as a caller that keeps the environment would.
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> kept;
};

// The caller's handler: records every call. Created on the heap with one reference (the test's).
class RecordingCompletedHandler final
    : public ComObject<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler> {
 public:
  HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode,
                                   ICoreWebView2Environment* environment) noexcept override;

  std::vector<HandlerCall> calls;
  // What Invoke returns; the loader must not care.
  HRESULT result = S_OK;
  // Whether Invoke keeps a reference to the environment it gets.
  bool keepEnvironment = false;

  [[nodiscard]] LONG references() const noexcept { return ::mirvot::test::ReferencesOf(*this); }
};

// An object that can pose as any one interface whose methods beyond IUnknown the code under
// test never calls: it hands out itself for `posingAs`. Only its IUnknown slots are ever used,
// so passing it where that interface is expected is sound for these tests.
class PosingObject final : public IUnknown {
 public:
  explicit PosingObject(IID posingAs) noexcept : posingAs_(posingAs) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override;
  ULONG STDMETHODCALLTYPE AddRef() noexcept override;
  ULONG STDMETHODCALLTYPE Release() noexcept override;

  template <typename Interface>
  Interface* As() noexcept {
    return reinterpret_cast<Interface*>(static_cast<IUnknown*>(this));
  }

  // Every QueryInterface call, answered or not.
  int queryCount = 0;
  // When set, even `posingAs` is refused.
  bool refuseEverything = false;
  [[nodiscard]] LONG references() const noexcept { return references_; }

 private:
  IID posingAs_;
  // Held by the test on its stack: the count only tracks, it never frees.
  LONG references_ = 1;
};

}  // namespace mirvot::test
