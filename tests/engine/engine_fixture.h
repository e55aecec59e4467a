#pragma once
// Shared set-up for the engine's own tests: the `fixed` engine loaded in-process, its control
// client, a hidden top-level host window, and short-hands for creating an environment and a
// controller the way a host does.
#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/owners.h"
#include "engine/engine_probes.h"
#include "engine/test_engine_client.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test {

using CreateEnvironmentFunction =
    HRESULT (*)(bool, INT32, PCWSTR, ICoreWebView2EnvironmentOptions*,
                ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler*);

class EngineTest : public ::testing::Test {
 public:
  // Environment + controller + its view.
  struct View {
    Microsoft::WRL::ComPtr<ICoreWebView2Environment> environment;
    Microsoft::WRL::ComPtr<ICoreWebView2Controller> controller;
    Microsoft::WRL::ComPtr<ICoreWebView2> webview;
  };

 protected:
  void SetUp() override {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    dllPath_ = TestEngineDllPath(L"fixed");
    module_.reset(::LoadLibraryW(dllPath_.c_str()));
    ASSERT_TRUE(module_.valid()) << "engine missing: " << ::GetLastError();
    engine_ = std::make_unique<TestEngineClient>(dllPath_);
    ASSERT_TRUE(engine_->valid());
    create_ = reinterpret_cast<CreateEnvironmentFunction>(reinterpret_cast<void*>(
        ::GetProcAddress(module_.get(), "CreateWebViewEnvironmentWithOptionsInternal")));
    ASSERT_NE(create_, nullptr);
    engine_->Reset();
    liveAtStart_ = engine_->LiveObjects();
  }

  void TearDown() override {
    if (host_ != nullptr) {
      ::DestroyWindow(host_);
      host_ = nullptr;
    }
    if (engine_ && engine_->valid()) {
      engine_->PumpUntilNoPendingCompletions();
      // Every object the test received was released by now: the engine must not keep any.
      EXPECT_EQ(engine_->LiveObjects(), liveAtStart_) << "engine objects outlived the test";
      engine_->Reset();
    }
  }

  // Calls the creation export with the probe handler and returns its result.
  HRESULT Create(ProbeEnvironmentHandler* handler,
                 ICoreWebView2EnvironmentOptions* options = nullptr,
                 PCWSTR userDataFolder = L"C:\\profile", INT32 kind = 0) {
    return create_(true, kind, userDataFolder, options, handler);
  }

  // A created environment (asserting on the way); null if creation failed.
  Microsoft::WRL::ComPtr<ICoreWebView2Environment> CreateEnvironment() {
    auto handler = MakeProbe<ProbeEnvironmentHandler>();
    EXPECT_EQ(Create(handler.Get()), S_OK);
    EXPECT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
    EXPECT_EQ(handler->lastError, S_OK);
    return handler->lastEnvironment;
  }

  // A hidden top-level window to host views.
  HWND Host() {
    if (host_ == nullptr) {
      static const ATOM kClass = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MirvotEngineTestHost";
        return ::RegisterClassExW(&windowClass);
      }();
      EXPECT_NE(kClass, 0);
      host_ = ::CreateWindowExW(0, L"MirvotEngineTestHost", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                480, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
      EXPECT_NE(host_, nullptr);
    }
    return host_;
  }

  // A controller made through ICoreWebView2Environment10 with fresh controller options.
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> CreateController(
      ICoreWebView2Environment* environment) {
    Microsoft::WRL::ComPtr<ICoreWebView2Environment10> environment10;
    EXPECT_EQ(environment->QueryInterface(__uuidof(ICoreWebView2Environment10),
                                          reinterpret_cast<void**>(environment10.GetAddressOf())),
              S_OK);
    Microsoft::WRL::ComPtr<ICoreWebView2ControllerOptions> options;
    EXPECT_EQ(environment10->CreateCoreWebView2ControllerOptions(&options), S_OK);
    EXPECT_EQ(options->put_IsInPrivateModeEnabled(FALSE), S_OK);
    auto handler = MakeProbe<ProbeControllerHandler>();
    EXPECT_EQ(environment10->CreateCoreWebView2ControllerWithOptions(Host(), options.Get(),
                                                                     handler.Get()),
              S_OK);
    EXPECT_TRUE(PumpMessagesUntil([&] { return handler->calls > 0; }));
    EXPECT_EQ(handler->lastError, S_OK);
    return handler->lastController;
  }

  // Environment + controller + its view in one step.
  View CreateView() {
    View view;
    view.environment = CreateEnvironment();
    if (view.environment) {
      view.controller = CreateController(view.environment.Get());
    }
    if (view.controller) {
      EXPECT_EQ(view.controller->get_CoreWebView2(&view.webview), S_OK);
    }
    return view;
  }

  [[nodiscard]] std::vector<std::string> Log() const { return engine_->LogLines(); }

  std::wstring dllPath_;
  UniqueModule module_;
  std::unique_ptr<TestEngineClient> engine_;
  CreateEnvironmentFunction create_ = nullptr;
  HWND host_ = nullptr;
  long liveAtStart_ = 0;
};

template <typename Interface>
Microsoft::WRL::ComPtr<Interface> QueryAs(IUnknown* object, HRESULT* result = nullptr) {
  Microsoft::WRL::ComPtr<Interface> found;
  const HRESULT hr =
      object->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(found.GetAddressOf()));
  if (result != nullptr) {
    *result = hr;
  }
  return found;
}

}  // namespace mirvot::test
