// The options object on its own: the interfaces it answers, its one identity and count, the
// values it starts with, and how getters and setters behave.
#include "shell/environment_options.h"

#include <combaseapi.h>

#include <string>

#include <gtest/gtest.h>

#include "common/com_object.h"
#include "harness/com_references.h"

namespace mirvot {
namespace {

using Microsoft::WRL::ComPtr;

// A getter's string, freed the way the engine frees it.
template <typename Getter>
std::wstring ReadString(Getter get) {
  LPWSTR value = nullptr;
  EXPECT_EQ(get(&value), S_OK);
  std::wstring text = value != nullptr ? value : L"<null>";
  ::CoTaskMemFree(value);
  return text;
}

class EnvironmentOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    options_ = EnvironmentOptions::create_for_browser_view();
    ASSERT_TRUE(options_);
  }

  template <typename Interface>
  ComPtr<Interface> As() {
    ComPtr<Interface> result;
    EXPECT_EQ(options_->QueryInterface(IID_PPV_ARGS(result.GetAddressOf())), S_OK);
    return result;
  }

  ComPtr<EnvironmentOptions> options_;
};

TEST(BrowserArgumentsTest, FeaturesLiteralAloneIs62Characters) {
  const std::wstring arguments = kDisabledBrowserFeatures;
  EXPECT_EQ(arguments, L"--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection");
  EXPECT_EQ(arguments.size(), 62u);
}

TEST(BrowserArgumentsTest, AutoplayAppendsTheSwitchFor105Characters) {
  const std::wstring arguments = browser_arguments();
  EXPECT_EQ(arguments,
            L"--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection"
            L" --autoplay-policy=no-user-gesture-required");
  EXPECT_EQ(arguments.size(), 105u);
  EXPECT_EQ(std::wstring(kAutoplaySwitch).size(), 43u);
}

TEST(LocaleNameTest, KnownLanguagesGiveTheirNames) {
  EXPECT_EQ(locale_name_for_language(0x0409), L"en-US");
  EXPECT_EQ(locale_name_for_language(0x0407), L"de-DE");
  EXPECT_EQ(locale_name_for_language(0x0411), L"ja-JP");
}

TEST(LocaleNameTest, LanguageWithoutNameGivesEmpty) {
  // A primary language number no locale uses.
  EXPECT_EQ(locale_name_for_language(MAKELANGID(0x3FF, SUBLANG_DEFAULT)), L"");
}

TEST(LocaleNameTest, UserUiLanguageMatchesTheSystemsName) {
  wchar_t expected[LOCALE_NAME_MAX_LENGTH] = {};
  const int written = ::LCIDToLocaleName(::GetUserDefaultUILanguage(), expected,
                                         LOCALE_NAME_MAX_LENGTH, LOCALE_ALLOW_NEUTRAL_NAMES);
  ASSERT_GT(written, 0);
  EXPECT_EQ(user_ui_locale_name(), expected);
}

TEST_F(EnvironmentOptionsTest, AnswersEveryOptionsInterfaceAndTheAgileOnes) {
  EXPECT_TRUE(As<IUnknown>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions2>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions3>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions4>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions5>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions6>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions7>());
  EXPECT_TRUE(As<ICoreWebView2EnvironmentOptions8>());
  EXPECT_TRUE(As<IInspectable>());
  EXPECT_TRUE(As<IAgileObject>());
  EXPECT_TRUE(As<IMarshal>());
}

TEST_F(EnvironmentOptionsTest, OtherInterfacesAreRefusedWithNullOut) {
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(options_->QueryInterface(__uuidof(ICoreWebView2EdgeViewOptions), &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(options_->QueryInterface(__uuidof(IStream), &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(options_->QueryInterface(__uuidof(IUnknown), nullptr), E_POINTER);
}

TEST_F(EnvironmentOptionsTest, EveryInterfaceLeadsBackToOneIdentity) {
  const ComPtr<IUnknown> identity = As<IUnknown>();
  auto identityOf = [](IUnknown* through) {
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(through->QueryInterface(IID_PPV_ARGS(unknown.GetAddressOf())), S_OK);
    return unknown;
  };
  EXPECT_EQ(identityOf(As<ICoreWebView2EnvironmentOptions2>().Get()), identity);
  EXPECT_EQ(identityOf(As<ICoreWebView2EnvironmentOptions5>().Get()), identity);
  EXPECT_EQ(identityOf(As<ICoreWebView2EnvironmentOptions8>().Get()), identity);
  EXPECT_EQ(identityOf(As<IInspectable>().Get()), identity);
  EXPECT_EQ(identityOf(As<IAgileObject>().Get()), identity);
  // The marshaler is aggregated: its IUnknown is ours too.
  EXPECT_EQ(identityOf(As<IMarshal>().Get()), identity);
}

TEST_F(EnvironmentOptionsTest, EachOptionsInterfaceHasItsOwnPointer) {
  // Options2..8 all start their own methods at slot 3, so one pointer cannot serve two of them.
  const void* seven = As<ICoreWebView2EnvironmentOptions7>().Get();
  const void* eight = As<ICoreWebView2EnvironmentOptions8>().Get();
  const void* two = As<ICoreWebView2EnvironmentOptions2>().Get();
  EXPECT_NE(seven, eight);
  EXPECT_NE(seven, two);
  EXPECT_NE(two, eight);
}

TEST_F(EnvironmentOptionsTest, OneReferenceCountForEveryInterface) {
  const LONG base = test::ReferencesOf(*options_.Get()->AsUnknown());
  ComPtr<ICoreWebView2EnvironmentOptions7> seven = As<ICoreWebView2EnvironmentOptions7>();
  EXPECT_EQ(test::ReferencesOf(*options_.Get()->AsUnknown()), base + 1);
  ComPtr<IMarshal> marshal = As<IMarshal>();
  EXPECT_EQ(test::ReferencesOf(*seven.Get()), base + 2);
  marshal.Reset();
  seven.Reset();
  EXPECT_EQ(test::ReferencesOf(*options_.Get()->AsUnknown()), base);
}

TEST_F(EnvironmentOptionsTest, MarshalsThroughTheFreeThreadedMarshaler) {
  const ComPtr<IMarshal> marshal = As<IMarshal>();
  ASSERT_TRUE(marshal);
  CLSID unmarshalClass{};
  ASSERT_EQ(marshal->GetUnmarshalClass(__uuidof(ICoreWebView2EnvironmentOptions),
                                       options_.Get()->AsUnknown(), MSHCTX_INPROC, nullptr,
                                       MSHLFLAGS_NORMAL, &unmarshalClass),
            S_OK);
  CLSID freeThreaded{};
  ASSERT_EQ(::CLSIDFromString(L"{0000033A-0000-0000-C000-000000000046}", &freeThreaded), S_OK);
  EXPECT_EQ(unmarshalClass, freeThreaded);
}

TEST_F(EnvironmentOptionsTest, InspectableAnswersHonestly) {
  const ComPtr<IInspectable> inspectable = As<IInspectable>();
  ULONG count = 99;
  IID* iids = reinterpret_cast<IID*>(0x1);
  EXPECT_EQ(inspectable->GetIids(&count, &iids), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(iids, nullptr);
  HSTRING name = reinterpret_cast<HSTRING>(0x1);
  EXPECT_EQ(inspectable->GetRuntimeClassName(&name), E_NOTIMPL);
  EXPECT_EQ(name, nullptr);
  TrustLevel trust = FullTrust;
  EXPECT_EQ(inspectable->GetTrustLevel(&trust), S_OK);
  EXPECT_EQ(trust, BaseTrust);
  EXPECT_EQ(inspectable->GetIids(nullptr, &iids), E_POINTER);
  EXPECT_EQ(inspectable->GetRuntimeClassName(nullptr), E_POINTER);
  EXPECT_EQ(inspectable->GetTrustLevel(nullptr), E_POINTER);
}

TEST_F(EnvironmentOptionsTest, StartsWithThisProgramsValues) {
  EnvironmentOptions* o = options_.Get();
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_AdditionalBrowserArguments(v); }),
            browser_arguments());
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_Language(v); }), user_ui_locale_name());
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_TargetCompatibleBrowserVersion(v); }),
            L"145.0.3800.47");

  BOOL flag = -1;
  EXPECT_EQ(o->get_AllowSingleSignOnUsingOSPrimaryAccount(&flag), S_OK);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(o->get_ExclusiveUserDataFolderAccess(&flag), S_OK);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(o->get_IsCustomCrashReportingEnabled(&flag), S_OK);
  EXPECT_EQ(flag, FALSE);
  EXPECT_EQ(o->get_EnableTrackingPrevention(&flag), S_OK);
  EXPECT_EQ(flag, TRUE);
  EXPECT_EQ(o->get_AreBrowserExtensionsEnabled(&flag), S_OK);
  EXPECT_EQ(flag, FALSE);

  UINT32 count = 7;
  ICoreWebView2CustomSchemeRegistration** registrations =
      reinterpret_cast<ICoreWebView2CustomSchemeRegistration**>(0x1);
  EXPECT_EQ(o->GetCustomSchemeRegistrations(&count, &registrations), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(registrations, nullptr);

  COREWEBVIEW2_CHANNEL_SEARCH_KIND kind = COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE;
  EXPECT_EQ(o->get_ChannelSearchKind(&kind), S_OK);
  EXPECT_EQ(kind, COREWEBVIEW2_CHANNEL_SEARCH_KIND_MOST_STABLE);
  COREWEBVIEW2_RELEASE_CHANNELS channels = COREWEBVIEW2_RELEASE_CHANNELS_NONE;
  EXPECT_EQ(o->get_ReleaseChannels(&channels), S_OK);
  EXPECT_EQ(static_cast<int>(channels), 0xF);
  COREWEBVIEW2_SCROLLBAR_STYLE style = COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY;
  EXPECT_EQ(o->get_ScrollBarStyle(&style), S_OK);
  EXPECT_EQ(style, COREWEBVIEW2_SCROLLBAR_STYLE_DEFAULT);
}

TEST_F(EnvironmentOptionsTest, ChannelGettersSitInSlotsThreeAndFiveOfOptions7) {
  // The loader reads these two through the raw vtable of the Options7 pointer.
  const ComPtr<ICoreWebView2EnvironmentOptions7> seven = As<ICoreWebView2EnvironmentOptions7>();
  using Getter = HRESULT(STDMETHODCALLTYPE*)(void*, INT32*);
  void** vtable = *reinterpret_cast<void***>(seven.Get());
  INT32 kind = -1;
  INT32 channels = -1;
  EXPECT_EQ(reinterpret_cast<Getter>(vtable[3])(seven.Get(), &kind), S_OK);
  EXPECT_EQ(reinterpret_cast<Getter>(vtable[5])(seven.Get(), &channels), S_OK);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(channels, 0xF);
}

TEST_F(EnvironmentOptionsTest, StringGettersReturnAFreshCopyEachTime) {
  LPWSTR first = nullptr;
  LPWSTR second = nullptr;
  ASSERT_EQ(options_->get_TargetCompatibleBrowserVersion(&first), S_OK);
  ASSERT_EQ(options_->get_TargetCompatibleBrowserVersion(&second), S_OK);
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, second);
  ::CoTaskMemFree(first);
  ::CoTaskMemFree(second);
}

TEST_F(EnvironmentOptionsTest, NullOutPointersGiveEPointer) {
  EnvironmentOptions* o = options_.Get();
  EXPECT_EQ(o->get_AdditionalBrowserArguments(nullptr), E_POINTER);
  EXPECT_EQ(o->get_Language(nullptr), E_POINTER);
  EXPECT_EQ(o->get_TargetCompatibleBrowserVersion(nullptr), E_POINTER);
  EXPECT_EQ(o->get_AllowSingleSignOnUsingOSPrimaryAccount(nullptr), E_POINTER);
  EXPECT_EQ(o->get_ExclusiveUserDataFolderAccess(nullptr), E_POINTER);
  EXPECT_EQ(o->get_IsCustomCrashReportingEnabled(nullptr), E_POINTER);
  UINT32 count = 0;
  ICoreWebView2CustomSchemeRegistration** registrations = nullptr;
  EXPECT_EQ(o->GetCustomSchemeRegistrations(nullptr, &registrations), E_POINTER);
  EXPECT_EQ(o->GetCustomSchemeRegistrations(&count, nullptr), E_POINTER);
  EXPECT_EQ(o->get_EnableTrackingPrevention(nullptr), E_POINTER);
  EXPECT_EQ(o->get_AreBrowserExtensionsEnabled(nullptr), E_POINTER);
  EXPECT_EQ(o->get_ChannelSearchKind(nullptr), E_POINTER);
  EXPECT_EQ(o->get_ReleaseChannels(nullptr), E_POINTER);
  EXPECT_EQ(o->get_ScrollBarStyle(nullptr), E_POINTER);
}

TEST_F(EnvironmentOptionsTest, SettersStoreWhatTheyAreGiven) {
  EnvironmentOptions* o = options_.Get();
  EXPECT_EQ(o->put_AdditionalBrowserArguments(L"--x"), S_OK);
  EXPECT_EQ(o->put_Language(L"fr-FR"), S_OK);
  EXPECT_EQ(o->put_TargetCompatibleBrowserVersion(L"1.2.3.4"), S_OK);
  EXPECT_EQ(o->put_AllowSingleSignOnUsingOSPrimaryAccount(TRUE), S_OK);
  EXPECT_EQ(o->put_ExclusiveUserDataFolderAccess(TRUE), S_OK);
  EXPECT_EQ(o->put_IsCustomCrashReportingEnabled(TRUE), S_OK);
  EXPECT_EQ(o->put_EnableTrackingPrevention(FALSE), S_OK);
  EXPECT_EQ(o->put_AreBrowserExtensionsEnabled(TRUE), S_OK);
  EXPECT_EQ(o->put_ChannelSearchKind(COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE), S_OK);
  EXPECT_EQ(o->put_ReleaseChannels(COREWEBVIEW2_RELEASE_CHANNELS_BETA), S_OK);
  EXPECT_EQ(o->put_ScrollBarStyle(COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY), S_OK);

  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_AdditionalBrowserArguments(v); }), L"--x");
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_Language(v); }), L"fr-FR");
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return o->get_TargetCompatibleBrowserVersion(v); }),
            L"1.2.3.4");
  BOOL flag = FALSE;
  o->get_AllowSingleSignOnUsingOSPrimaryAccount(&flag);
  EXPECT_EQ(flag, TRUE);
  o->get_ExclusiveUserDataFolderAccess(&flag);
  EXPECT_EQ(flag, TRUE);
  o->get_IsCustomCrashReportingEnabled(&flag);
  EXPECT_EQ(flag, TRUE);
  o->get_EnableTrackingPrevention(&flag);
  EXPECT_EQ(flag, FALSE);
  o->get_AreBrowserExtensionsEnabled(&flag);
  EXPECT_EQ(flag, TRUE);
  COREWEBVIEW2_CHANNEL_SEARCH_KIND kind{};
  o->get_ChannelSearchKind(&kind);
  EXPECT_EQ(kind, COREWEBVIEW2_CHANNEL_SEARCH_KIND_LEAST_STABLE);
  COREWEBVIEW2_RELEASE_CHANNELS channels{};
  o->get_ReleaseChannels(&channels);
  EXPECT_EQ(channels, COREWEBVIEW2_RELEASE_CHANNELS_BETA);
  COREWEBVIEW2_SCROLLBAR_STYLE style{};
  o->get_ScrollBarStyle(&style);
  EXPECT_EQ(style, COREWEBVIEW2_SCROLLBAR_STYLE_FLUENT_OVERLAY);
}

TEST_F(EnvironmentOptionsTest, NullStringIsStoredAsEmpty) {
  EXPECT_EQ(options_->put_Language(nullptr), S_OK);
  EXPECT_EQ(ReadString([&](LPWSTR* v) { return options_->get_Language(v); }), L"");
}

// A registration object that only counts its references.
class FakeSchemeRegistration final : public ComObject<ICoreWebView2CustomSchemeRegistration> {
 public:
  HRESULT STDMETHODCALLTYPE get_SchemeName(LPWSTR*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_TreatAsSecure(BOOL*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_TreatAsSecure(BOOL) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAllowedOrigins(UINT32*, LPWSTR**) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetAllowedOrigins(UINT32, LPCWSTR*) noexcept override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE get_HasAuthorityComponent(BOOL*) noexcept override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_HasAuthorityComponent(BOOL) noexcept override { return E_NOTIMPL; }
  LONG References() const noexcept { return ::mirvot::test::ReferencesOf(*this); }
};

TEST_F(EnvironmentOptionsTest, CustomSchemeListIsKeptWithItsOwnReferences) {
  const ComPtr<FakeSchemeRegistration> registration =
      AdoptComReference(new FakeSchemeRegistration());
  ICoreWebView2CustomSchemeRegistration* list[] = {registration.Get(), registration.Get()};
  ASSERT_EQ(options_->SetCustomSchemeRegistrations(2, list), S_OK);
  EXPECT_EQ(registration->References(), 3);

  UINT32 count = 0;
  ICoreWebView2CustomSchemeRegistration** got = nullptr;
  ASSERT_EQ(options_->GetCustomSchemeRegistrations(&count, &got), S_OK);
  ASSERT_EQ(count, 2u);
  ASSERT_NE(got, nullptr);
  EXPECT_EQ(got[0], registration.Get());
  EXPECT_EQ(registration->References(), 5);
  got[0]->Release();
  got[1]->Release();
  ::CoTaskMemFree(got);

  ASSERT_EQ(options_->SetCustomSchemeRegistrations(0, nullptr), S_OK);
  EXPECT_EQ(registration->References(), 1);
  ASSERT_EQ(options_->GetCustomSchemeRegistrations(&count, &got), S_OK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(got, nullptr);
}

TEST_F(EnvironmentOptionsTest, CustomSchemeListWithCountButNoArrayIsRefused) {
  EXPECT_EQ(options_->SetCustomSchemeRegistrations(1, nullptr), E_POINTER);
}

}  // namespace
}  // namespace mirvot
