#pragma once
// A caller's options object that answers the Edge-view and channel getters with chosen results
// and counts what the loader asks it.
#include <windows.h>
#include <wrl/client.h>

#include "common/com_object.h"
#include "harness/com_references.h"
#include "webview2/webview2_interfaces.h"

namespace mirvot::test {

class OptionsProbe final
    : public ComObject<ICoreWebView2EnvironmentOptions, ICoreWebView2EnvironmentOptions7,
                       ICoreWebView2EdgeViewOptions> {
 public:
  // How QueryInterface answers for one of the two optional interfaces.
  enum class Answer { Implemented, NoInterface, NullWithSuccess };

  Answer edgeViewAnswer = Answer::Implemented;
  Answer channelsAnswer = Answer::Implemented;
  HRESULT edgeViewResult = S_OK;
  INT32 edgeView = 0;
  HRESULT searchKindResult = S_OK;
  INT32 searchKind = 0;
  HRESULT releaseChannelsResult = S_OK;
  INT32 releaseChannels = 0;

  int edgeViewQueries = 0;
  int channelsQueries = 0;
  int edgeViewCalls = 0;
  int searchKindCalls = 0;
  int releaseChannelsCalls = 0;

  ICoreWebView2EnvironmentOptions* AsOptions() { return this; }
  [[nodiscard]] LONG References() const { return ::mirvot::test::ReferencesOf(*this); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override;

  // ICoreWebView2EnvironmentOptions: not read by the loader.
  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override;
  HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override;
  HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override;

  // ICoreWebView2EnvironmentOptions7
  HRESULT STDMETHODCALLTYPE get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) override;
  HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND value) override;
  HRESULT STDMETHODCALLTYPE get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) override;
  HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS value) override;

  // ICoreWebView2EdgeViewOptions
  HRESULT STDMETHODCALLTYPE get_IsEdgeView(INT32* value) override;
};

// A new probe owned by the returned pointer alone.
Microsoft::WRL::ComPtr<OptionsProbe> MakeOptionsProbe();

}  // namespace mirvot::test
