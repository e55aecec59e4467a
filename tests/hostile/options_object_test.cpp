// A caller's options object that misbehaves: channel getters with values outside their
// enumerations, QueryInterface answers that break COM's rules (a failure that still hands out a
// pointer, a success code other than S_OK). The loader reads only what its rules accept, never
// uses or releases a pointer from a failed QueryInterface, and releases every one it was given.
#include <wrl/client.h>

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/test_engine_client.h"
#include "harness/com_references.h"
#include "hostile/hostile_fixture.h"
#include "loader/runtime_discovery.h"

namespace mirvot::test {
namespace {

using Microsoft::WRL::ComPtr;

// How QueryInterface answers for the Edge-view or the channel interface.
enum class Answer {
  Implemented,         // S_OK and itself, with a reference
  FailureWithPointer,  // E_NOINTERFACE, yet the out-pointer set to itself without a reference
  SuccessCodeNotSOk,   // S_FALSE and itself, with a reference
};

class MisbehavingOptions final
    : public ComObject<ICoreWebView2EnvironmentOptions, ICoreWebView2EnvironmentOptions7,
                       ICoreWebView2EdgeViewOptions> {
 public:
  Answer edgeViewAnswer = Answer::Implemented;
  Answer channelsAnswer = Answer::Implemented;
  INT32 edgeView = 0;
  INT32 searchKind = 0;
  INT32 releaseChannels = 0;
  int getterCalls = 0;

  [[nodiscard]] LONG References() const { return ::mirvot::test::ReferencesOf(*this); }
  ICoreWebView2EnvironmentOptions* AsOptions() { return this; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
    const bool edge = riid == __uuidof(ICoreWebView2EdgeViewOptions);
    const bool channels = riid == __uuidof(ICoreWebView2EnvironmentOptions7);
    if (object != nullptr && (edge || channels)) {
      switch (edge ? edgeViewAnswer : channelsAnswer) {
        case Answer::Implemented:
          break;
        case Answer::FailureWithPointer:
          *object = edge ? static_cast<void*>(static_cast<ICoreWebView2EdgeViewOptions*>(this))
                         : static_cast<void*>(static_cast<ICoreWebView2EnvironmentOptions7*>(this));
          return E_NOINTERFACE;
        case Answer::SuccessCodeNotSOk: {
          const HRESULT hr = ComObject::QueryInterface(riid, object);
          return hr == S_OK ? S_FALSE : hr;
        }
      }
    }
    return ComObject::QueryInterface(riid, object);
  }

  HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Language(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE
  get_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND* value) override {
    ++getterCalls;
    *value = static_cast<COREWEBVIEW2_CHANNEL_SEARCH_KIND>(searchKind);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS* value) override {
    ++getterCalls;
    *value = static_cast<COREWEBVIEW2_RELEASE_CHANNELS>(releaseChannels);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_IsEdgeView(INT32* value) override {
    ++getterCalls;
    *value = edgeView;
    return S_OK;
  }
};

class OptionsObjectTest : public HostileTest {
 protected:
  LoaderSettings ResolveWithOptions() { return Resolve(nullptr, nullptr, options_->AsOptions()); }
  std::vector<ReleaseChannel> Order() { return BuildChannelSearchOrder(ResolveWithOptions()); }

  ComPtr<MisbehavingOptions> options_ = MakeObject<MisbehavingOptions>();
};

TEST_F(OptionsObjectTest, SearchKindsOtherThanOneKeepTheMostStableFirst) {
  options_->releaseChannels = 0b00011;
  for (const INT32 kind : {7, -1, 2, INT_MAX, INT_MIN}) {
    SCOPED_TRACE(kind);
    options_->searchKind = kind;
    const LoaderSettings settings = ResolveWithOptions();
    EXPECT_EQ(settings.channelSearchKind, 0);
    EXPECT_FALSE(settings.channelSearchKindSet);
    EXPECT_EQ(BuildChannelSearchOrder(settings),
              (std::vector<ReleaseChannel>{ReleaseChannel::Stable, ReleaseChannel::Beta}));
  }
}

TEST_F(OptionsObjectTest, ReleaseChannelMasksOutsideTheEnumeration) {
  using C = ReleaseChannel;
  const std::vector<C> all{C::Stable, C::Beta, C::Dev, C::Canary, C::Internal};
  const struct {
    INT32 mask;
    std::vector<C> order;
  } cases[] = {
      {-1, all},                                           // every bit, so every channel
      {INT_MIN, {}},                                       // only bit 31: no channel
      {32, {}},                                            // only bit 5: no channel
      {15 | 32, {C::Stable, C::Beta, C::Dev, C::Canary}},  // not exactly 15, so no Internal
      {31 | 64, {C::Stable, C::Beta, C::Dev, C::Canary, C::Internal}},
      {16 | 1024, {C::Internal}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mask);
    options_->releaseChannels = c.mask;
    const LoaderSettings settings = ResolveWithOptions();
    EXPECT_EQ(settings.releaseChannels, c.mask);
    EXPECT_TRUE(settings.releaseChannelsSet);
    EXPECT_EQ(BuildChannelSearchOrder(settings), c.order);
  }
}

TEST_F(OptionsObjectTest, MaskOfUnknownChannelsOnlyEndsTheSearchAtOnce) {
  RegisterText(HKEY_LOCAL_MACHINE, ReleaseChannel::Stable,
               temp_.Join(L"Application\\120.0.2210.91"));
  options_->releaseChannels = 32;
  EXPECT_EQ(Create(nullptr, nullptr, options_->AsOptions()), kFileNotFound);
  EXPECT_EQ(Lines(), (std::vector<std::string>{kNoInstalledRuntimeLine, kNoInstalledRuntimeLine}));
  EXPECT_TRUE(caller_->calls.empty());
  EXPECT_EQ(options_->References(), 1);
}

TEST_F(OptionsObjectTest, PointerFromAFailedQueryIsNeitherUsedNorReleased) {
  options_->edgeViewAnswer = Answer::FailureWithPointer;
  options_->channelsAnswer = Answer::FailureWithPointer;
  options_->edgeView = 1;
  options_->searchKind = 1;
  options_->releaseChannels = 0b00100;

  const LoaderSettings settings = ResolveWithOptions();

  EXPECT_FALSE(settings.useEdgeView);
  EXPECT_EQ(settings.channelSearchKind, 0);
  EXPECT_FALSE(settings.releaseChannelsSet);
  EXPECT_EQ(options_->getterCalls, 0);
  // It came without a reference: releasing it would take the caller's.
  EXPECT_EQ(options_->References(), 1);
}

TEST_F(OptionsObjectTest, SuccessCodeOtherThanSOkCountsForChannelsButNotForEdgeView) {
  // Edge view needs exactly S_OK; the channel interface needs a success.
  options_->edgeViewAnswer = Answer::SuccessCodeNotSOk;
  options_->channelsAnswer = Answer::SuccessCodeNotSOk;
  options_->edgeView = 1;
  options_->searchKind = 1;
  options_->releaseChannels = 0b00100;

  const LoaderSettings settings = ResolveWithOptions();

  EXPECT_FALSE(settings.useEdgeView);
  EXPECT_EQ(settings.channelSearchKind, 1);
  EXPECT_EQ(settings.releaseChannels, 0b00100);
  // Both interfaces came with a reference, and both were given back.
  EXPECT_EQ(options_->References(), 1);
}

TEST_F(OptionsObjectTest, EngineStillGetsTheMisbehavingObjectUnchanged) {
  const TestEngineClient engine(TestEngineDllPath(L"fixed"));
  ASSERT_TRUE(engine.valid());
  engine.Reset();
  // Only the Edge-view interface misbehaves: the engine, which is outside the system, asks
  // for the channel interface too and is not held to these rules.
  options_->edgeViewAnswer = Answer::FailureWithPointer;
  const std::wstring fixed = TestRuntimeFolder(L"fixed");

  ASSERT_EQ(Create(fixed.c_str(), nullptr, options_->AsOptions()), S_OK);
  ASSERT_TRUE(PumpMessagesUntil([this] { return !caller_->calls.empty(); }));
  ASSERT_TRUE(engine.PumpUntilNoPendingCompletions());

  EXPECT_EQ(caller_->calls.at(0).errorCode, S_OK);
  EXPECT_EQ(CountLinesStartingWith(engine.LogLines(),
                                   "CreateWebViewEnvironmentWithOptionsInternal unknown=1 kind=1 "),
            1);
  caller_->calls.clear();
  engine.Reset();
  EXPECT_EQ(options_->References(), 1);
}

}  // namespace
}  // namespace mirvot::test
