// The error event's registration sequence and payload, seen through stand-in ETW functions.
#include "loader/create_environment_error_event.h"

#include <cstring>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "loader/core/etw_layout.h"
#include "loader_environment/fake_event_tracing.h"

namespace mirvot::test {
namespace {

constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);
// {951DDD7E-F2FF-5B3F-7137-E2F1A0DD9804}
constexpr GUID kProviderGuid{
    0x951DDD7E, 0xF2FF, 0x5B3F, {0x71, 0x37, 0xE2, 0xF1, 0xA0, 0xDD, 0x98, 0x04}};

class CreateEnvironmentErrorEventTest : public ::testing::Test {
 protected:
  void Report(HRESULT hr, bool found, bool installed) {
    ReportCreateEnvironmentError(hr, found, installed, fake.functions(), state);
  }

  FakeEventTracing fake;
  EventProviderState state;
};

TEST_F(CreateEnvironmentErrorEventTest, WithoutListeningTraceRegistersSetsTraitsAndUnregisters) {
  Report(kFileNotFound, false, true);

  EXPECT_EQ(fake.calls, (std::vector<std::string>{"register", "traits", "unregister"}));
  ASSERT_EQ(fake.registeredProviders.size(), 1u);
  EXPECT_EQ(fake.registeredProviders[0], kProviderGuid);
  EXPECT_EQ(fake.lastContext, &state);
  ASSERT_EQ(fake.issuedHandles.size(), 1u);
  EXPECT_EQ(fake.unregisteredHandles, fake.issuedHandles);
}

TEST_F(CreateEnvironmentErrorEventTest, TraitsAreTheFiftyTwoByteProviderBlobUnderTheTraitsClass) {
  Report(kFileNotFound, false, true);

  ASSERT_EQ(fake.traits.size(), 1u);
  EXPECT_EQ(fake.traits[0].handle, fake.issuedHandles.at(0));
  EXPECT_EQ(fake.traits[0].informationClass, 2u);
  EXPECT_EQ(fake.traits[0].bytes.size(), 52u);
  EXPECT_EQ(fake.traits[0].bytes, BuildProviderTraits());
}

TEST_F(CreateEnvironmentErrorEventTest, HandleSlotAndRecordedLevelAreClearedBeforeUnregistering) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);

  ASSERT_EQ(fake.stateAtUnregister.size(), 1u);
  EXPECT_EQ(fake.stateAtUnregister[0].handle, 0u);
  EXPECT_EQ(fake.stateAtUnregister[0].recordedLevelPlusOne, 0u);
  EXPECT_EQ(state.handle, 0u);
  EXPECT_EQ(state.recordedLevelPlusOne, 0u);
}

TEST_F(CreateEnvironmentErrorEventTest, ErrorLevelTraceWithLoaderKeywordGetsTheEvent) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);

  EXPECT_EQ(fake.calls, (std::vector<std::string>{"register", "traits", "write", "unregister"}));
  ASSERT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.writes[0].handle, fake.issuedHandles.at(0));
  EXPECT_FALSE(fake.writes[0].activityIdGiven);
  EXPECT_FALSE(fake.writes[0].relatedActivityIdGiven);
}

TEST_F(CreateEnvironmentErrorEventTest, WrittenDescriptorIsTheLoaderErrorEvent) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);

  ASSERT_EQ(fake.writes.size(), 1u);
  const EVENT_DESCRIPTOR& descriptor = fake.writes[0].descriptor;
  EXPECT_EQ(descriptor.Id, 0);
  EXPECT_EQ(descriptor.Version, 0);
  EXPECT_EQ(descriptor.Channel, 11);
  EXPECT_EQ(descriptor.Level, 2);
  EXPECT_EQ(descriptor.Opcode, 0);
  EXPECT_EQ(descriptor.Task, 0);
  EXPECT_EQ(descriptor.Keyword, 0x0000400000000000ull);
}

TEST_F(CreateEnvironmentErrorEventTest, WriteCarriesSixDescriptorsWithTheirSizesAndTypes) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);

  ASSERT_EQ(fake.writes.size(), 1u);
  const auto& data = fake.writes[0].data;
  ASSERT_EQ(data.size(), 6u);
  const ULONG sizes[6] = {52, 95, 4, 1, 1, 8};
  const ULONG types[6] = {2, 1, 0, 0, 0, 0};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(data[i].size, sizes[i]) << "descriptor " << i;
    EXPECT_EQ(data[i].reserved, types[i]) << "descriptor " << i;
  }
  EXPECT_EQ(data[0].bytes, BuildProviderTraits());
  EXPECT_EQ(data[1].bytes, BuildEventMetadata());
}

TEST_F(CreateEnvironmentErrorEventTest, PayloadCarriesCodeFlagsAndPrivacyTags) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(static_cast<HRESULT>(0x8007007E), true, false);
  Report(kFileNotFound, false, true);

  ASSERT_EQ(fake.writes.size(), 2u);
  const auto loadFailure = PayloadOf(fake.writes[0]);
  ASSERT_TRUE(loadFailure.has_value());
  EXPECT_EQ(static_cast<std::uint32_t>(loadFailure->hresult), 0x8007007Eu);
  EXPECT_EQ(loadFailure->clientDllFound, 1);
  EXPECT_EQ(loadFailure->installedRuntime, 0);
  EXPECT_EQ(loadFailure->partAPrivTags, 0x0000000001000000ull);

  const auto discoveryFailure = PayloadOf(fake.writes[1]);
  ASSERT_TRUE(discoveryFailure.has_value());
  EXPECT_EQ(discoveryFailure->hresult, kFileNotFound);
  EXPECT_EQ(discoveryFailure->clientDllFound, 0);
  EXPECT_EQ(discoveryFailure->installedRuntime, 1);
}

// Which traces the event is written for.
struct EnableCase {
  const char* name;
  std::vector<EnableNotice> notices;
  bool written;
};

// Parameters print as their names rather than as raw bytes.
void PrintTo(const EnableCase& traceCase, std::ostream* stream) { *stream << traceCase.name; }

class EnableDecisionTest : public ::testing::TestWithParam<EnableCase> {};

TEST_P(EnableDecisionTest, WritesOnlyForTracesThatWantTheEvent) {
  FakeEventTracing fake;
  EventProviderState state;
  fake.noticesAtRegistration = GetParam().notices;
  ReportCreateEnvironmentError(kFileNotFound, false, true, fake.functions(), state);

  EXPECT_EQ(fake.writes.size(), GetParam().written ? 1u : 0u);
  EXPECT_EQ(fake.calls.back(), "unregister");
}

constexpr ULONGLONG kKeyword = 0x0000400000000000ull;

INSTANTIATE_TEST_SUITE_P(
    Traces, EnableDecisionTest,
    ::testing::Values(
        EnableCase{"NoTrace", {}, false}, EnableCase{"ErrorLevel", {{1, 2, kKeyword, 0}}, true},
        EnableCase{"VerboseLevel", {{1, 5, kKeyword, 0}}, true},
        EnableCase{"LevelZeroMeansEveryLevel", {{1, 0, kKeyword, 0}}, true},
        EnableCase{"CriticalOnlyIsTooLow", {{1, 1, kKeyword, 0}}, false},
        EnableCase{"AnyKeywordWithoutLoaderBit", {{1, 4, 0x1, 0}}, false},
        EnableCase{"AnyKeywordAllBits", {{1, 4, ~0ull, 0}}, true},
        EnableCase{"AllKeywordExactlyLoaderBit", {{1, 4, kKeyword, kKeyword}}, true},
        EnableCase{"AllKeywordAsksForMore", {{1, 4, kKeyword, kKeyword | 0x1}}, false},
        EnableCase{"EnabledThenDisabled", {{1, 4, kKeyword, 0}, {0, 0, 0, 0}}, false},
        EnableCase{"CaptureStateLeavesEnableStanding", {{1, 4, kKeyword, 0}, {2, 0, 0, 0}}, true},
        EnableCase{"CaptureStateAloneEnablesNothing", {{2, 4, kKeyword, 0}}, false}),
    [](const ::testing::TestParamInfo<EnableCase>& traceCase) {
      return std::string(traceCase.param.name);
    });

TEST_F(CreateEnvironmentErrorEventTest, EnableStateDoesNotOutliveTheReport) {
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);
  fake.noticesAtRegistration.clear();
  Report(kFileNotFound, false, true);

  EXPECT_EQ(fake.writes.size(), 1u);
  EXPECT_EQ(fake.issuedHandles.size(), 2u);
  EXPECT_EQ(fake.unregisteredHandles, fake.issuedHandles);
}

TEST_F(CreateEnvironmentErrorEventTest, FailedRegistrationEndsTheReport) {
  fake.registerResult = ERROR_ACCESS_DENIED;
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  Report(kFileNotFound, false, true);

  EXPECT_EQ(fake.calls, (std::vector<std::string>{"register"}));
  EXPECT_EQ(state.handle, 0u);
}

TEST_F(CreateEnvironmentErrorEventTest, MissingRegisterFunctionReportsNothing) {
  EventTracingFunctions functions = fake.functions();
  functions.eventRegister = nullptr;
  ReportCreateEnvironmentError(kFileNotFound, false, true, functions, state);

  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(CreateEnvironmentErrorEventTest, MissingUnregisterFunctionRegistersNothing) {
  EventTracingFunctions functions = fake.functions();
  functions.eventUnregister = nullptr;
  ReportCreateEnvironmentError(kFileNotFound, false, true, functions, state);

  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(state.handle, 0u);
}

TEST_F(CreateEnvironmentErrorEventTest, MissingTraitsFunctionStillWritesAndUnregisters) {
  EventTracingFunctions functions = fake.functions();
  functions.eventSetInformation = nullptr;
  fake.noticesAtRegistration = {ErrorLevelLoaderTrace()};
  ReportCreateEnvironmentError(kFileNotFound, false, true, functions, state);

  EXPECT_EQ(fake.calls, (std::vector<std::string>{"register", "write", "unregister"}));
}

TEST_F(CreateEnvironmentErrorEventTest, TakenSlotIsNotRegisteredAgain) {
  state.handle = 0x77;
  Report(kFileNotFound, false, true);

  EXPECT_TRUE(fake.calls.empty());
  EXPECT_EQ(state.handle, 0x77u);
}

TEST(ProviderEnableCallbackTest, RecordsLevelPlusOneAndBothKeywordMasks) {
  EventProviderState state;
  RecordProviderEnableState(nullptr, 1, 3, 0xF0, 0x0F, nullptr, &state);

  EXPECT_EQ(state.recordedLevelPlusOne, 4u);
  EXPECT_EQ(state.matchAnyKeyword, 0xF0u);
  EXPECT_EQ(state.matchAllKeyword, 0x0Fu);
}

TEST(ProviderEnableCallbackTest, DisableClearsTheLevel) {
  EventProviderState state;
  RecordProviderEnableState(nullptr, 1, 4, kKeyword, 0, nullptr, &state);
  RecordProviderEnableState(nullptr, 0, 0, 0, 0, nullptr, &state);

  EXPECT_EQ(state.recordedLevelPlusOne, 0u);
}

TEST(SystemEventTracingTest, AllFourFunctionsResolveFromSystemAdvapi32) {
  const EventTracingFunctions& functions = SystemEventTracingFunctions();

  EXPECT_NE(functions.eventRegister, nullptr);
  EXPECT_NE(functions.eventSetInformation, nullptr);
  EXPECT_NE(functions.eventWriteTransfer, nullptr);
  EXPECT_NE(functions.eventUnregister, nullptr);
  EXPECT_EQ(&SystemEventTracingFunctions(), &functions);
}

TEST(SystemEventTracingTest, ReportThroughTheSystemLeavesTheSlotFree) {
  const EventTracingFunctions& functions = SystemEventTracingFunctions();
  EventProviderState state;
  // A listening trace, as the callback would record it: the report writes for real.
  RecordProviderEnableState(nullptr, 1, 2, kKeyword, 0, nullptr, &state);
  ReportCreateEnvironmentError(kFileNotFound, false, true, functions, state);

  EXPECT_EQ(state.handle, 0u);
  EXPECT_EQ(state.recordedLevelPlusOne, 0u);
}

}  // namespace
}  // namespace mirvot::test
