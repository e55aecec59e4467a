#pragma once
// Base of every COM object the engine hands out: counts the live objects (for DllCanUnloadNow
// and the tests), refuses the interfaces the script omits, and answers the base interfaces of a
// derived chain with the one most-derived vtable.
#include <windows.h>

#include <atomic>
#include <string>

#include "common/com_object.h"
#include "engine_log.h"
#include "engine_script.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test_engine {

std::atomic<long>& LiveObjectCount();

// The published name of an interface the engine answers ("ICoreWebView2Settings4"), or null.
const char* EngineInterfaceName(REFIID riid);

// `Chain` is the most-derived interface of a single-inheritance chain; `Bases` are the IIDs of
// its ancestors that the object also answers with the same pointer.
template <typename Chain, typename... Bases>
class EngineObject : public ComObject<Chain> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
    if (object == nullptr) {
      return E_POINTER;
    }
    const char* name = EngineInterfaceName(riid);
    if (name != nullptr && IsInterfaceOmitted(name)) {
      *object = nullptr;
      WriteLogLine(std::string(logName_) + ".QueryInterface " + name + " omitted");
      return E_NOINTERFACE;
    }
    if (name != nullptr && IsInterfaceAnsweredWithNull(name)) {
      *object = nullptr;
      WriteLogLine(std::string(logName_) + ".QueryInterface " + name + " null");
      return S_OK;
    }
    return ComObject<Chain>::QueryInterface(riid, object);
  }

 protected:
  explicit EngineObject(const char* logName) noexcept : logName_(logName) { ++LiveObjectCount(); }
  ~EngineObject() override { --LiveObjectCount(); }

  HRESULT QueryExtraInterface(REFIID riid, void** object) noexcept override {
    if constexpr (sizeof...(Bases) == 0) {
      static_cast<void>(riid);
      static_cast<void>(object);
      return E_NOINTERFACE;
    } else {
      const bool found =
          ((riid == __uuidof(Bases) ? (*object = static_cast<Bases*>(this), true) : false) || ...);
      if (!found) {
        return E_NOINTERFACE;
      }
      this->AddRef();
      return S_OK;
    }
  }

  [[nodiscard]] const char* logName() const noexcept { return logName_; }

  // "<logName>.<method>" for the log and the script's failure list. Every method starts with it,
  // so this is where the method's busy interval opens (engine_timing.h).
  [[nodiscard]] std::string Call(const char* method) const {
    NoteCallEntered();
    return std::string(logName_) + "." + method;
  }

 private:
  const char* logName_;
};

// For methods this engine does not offer: logs the call and returns E_NOTIMPL. Pass `void` for a
// method without parameters.
#define MIRVOT_ENGINE_NOT_IMPLEMENTED(method, ...)                  \
  HRESULT STDMETHODCALLTYPE method(__VA_ARGS__) noexcept override { \
    return ::mirvot::test_engine::NotImplemented(Call(#method));    \
  }

// Copies text into a CoTaskMemAlloc string for an out-parameter.
HRESULT CopyToCoTaskMem(const std::wstring& text, LPWSTR* out);

}  // namespace mirvot::test_engine
