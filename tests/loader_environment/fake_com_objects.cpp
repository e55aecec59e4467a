#include "loader_environment/fake_com_objects.h"

namespace mirvot::test {

HRESULT STDMETHODCALLTYPE RecordingCompletedHandler::Invoke(
    HRESULT errorCode, ICoreWebView2Environment* environment) noexcept {
  HandlerCall call;
  call.errorCode = errorCode;
  call.environment = environment;
  if (keepEnvironment) {
    call.kept = environment;
  }
  calls.push_back(call);
  return result;
}

HRESULT STDMETHODCALLTYPE PosingObject::QueryInterface(REFIID riid, void** object) noexcept {
  ++queryCount;
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  if (refuseEverything) {
    return E_NOINTERFACE;
  }
  if (riid == __uuidof(IUnknown) || riid == posingAs_) {
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE PosingObject::AddRef() noexcept {
  return static_cast<ULONG>(++references_);
}

ULONG STDMETHODCALLTYPE PosingObject::Release() noexcept {
  return static_cast<ULONG>(--references_);
}

}  // namespace mirvot::test
