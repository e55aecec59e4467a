#include "loader_discovery/options_probe.h"

namespace mirvot::test {

HRESULT OptionsProbe::QueryInterface(REFIID riid, void** object) noexcept {
  const bool asksEdgeView = riid == __uuidof(ICoreWebView2EdgeViewOptions);
  const bool asksChannels = riid == __uuidof(ICoreWebView2EnvironmentOptions7);
  if (asksEdgeView || asksChannels) {
    (asksEdgeView ? edgeViewQueries : channelsQueries) += 1;
    switch (asksEdgeView ? edgeViewAnswer : channelsAnswer) {
      case Answer::Implemented:
        break;
      case Answer::NoInterface:
        *object = nullptr;
        return E_NOINTERFACE;
      case Answer::NullWithSuccess:
        *object = nullptr;
        return S_OK;
    }
  }
  return ComObject::QueryInterface(riid, object);
}

HRESULT OptionsProbe::get_AdditionalBrowserArguments(LPWSTR*) { return E_NOTIMPL; }
HRESULT OptionsProbe::put_AdditionalBrowserArguments(LPCWSTR) { return E_NOTIMPL; }
HRESULT OptionsProbe::get_Language(LPWSTR*) { return E_NOTIMPL; }
HRESULT OptionsProbe::put_Language(LPCWSTR) { return E_NOTIMPL; }
HRESULT OptionsProbe::get_TargetCompatibleBrowserVersion(LPWSTR*) { return E_NOTIMPL; }
HRESULT OptionsProbe::put_TargetCompatibleBrowserVersion(LPCWSTR) { return E_NOTIMPL; }
HRESULT OptionsProbe::get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL*) { return E_NOTIMPL; }
HRESULT OptionsProbe::put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL) { return E_NOTIMPL; }

HRESULT OptionsProbe::get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) {
  ++searchKindCalls;
  // The loader presets every out-value to 0. Values are written even with a failure result,
  // which the loader must then ignore.
  if (*value != 0) {
    return E_UNEXPECTED;
  }
  *value = static_cast<COREWEBVIEW2_CHANNEL_SEARCH_KIND>(searchKind);
  return searchKindResult;
}
HRESULT OptionsProbe::put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND) { return E_NOTIMPL; }

HRESULT OptionsProbe::get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) {
  ++releaseChannelsCalls;
  if (*value != 0) {
    return E_UNEXPECTED;
  }
  *value = static_cast<COREWEBVIEW2_RELEASE_CHANNELS>(releaseChannels);
  return releaseChannelsResult;
}
HRESULT OptionsProbe::put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS) { return E_NOTIMPL; }

HRESULT OptionsProbe::get_IsEdgeView(INT32* value) {
  ++edgeViewCalls;
  if (*value != 0) {
    return E_UNEXPECTED;
  }
  *value = edgeView;
  return edgeViewResult;
}

Microsoft::WRL::ComPtr<OptionsProbe> MakeOptionsProbe() {
  return AdoptComReference(MakeComObject<OptionsProbe>());
}

}  // namespace mirvot::test
