#include "loader/create_environment_error_event.h"

#include <array>
#include <bit>
#include <cstddef>
#include <vector>

#include "common/once_value.h"
#include "common/optional_function.h"
#include "common/out_of_memory.h"
#include "loader/core/etw_layout.h"

namespace mirvot {
namespace {

// The control codes ETW passes to an enable callback.
constexpr ULONG kDisableProvider = 0;
constexpr ULONG kEnableProvider = 1;

// The layout's portable records are the platform's structures field for field.
static_assert(sizeof(GuidFields) == sizeof(GUID) && sizeof(unsigned long) == 4);
static_assert(sizeof(EventDescriptorFields) == sizeof(EVENT_DESCRIPTOR) &&
              offsetof(EventDescriptorFields, task) == offsetof(EVENT_DESCRIPTOR, Task) &&
              offsetof(EventDescriptorFields, keyword) == offsetof(EVENT_DESCRIPTOR, Keyword));
constexpr GUID kProviderId = std::bit_cast<GUID>(kLoaderProviderGuid);

// The descriptor's kind lives in the low byte of its Reserved field (named Type in newer
// headers); the other bytes stay zero.
EVENT_DATA_DESCRIPTOR DataDescriptor(const void* data, std::size_t size,
                                     std::uint8_t type) noexcept {
  EVENT_DATA_DESCRIPTOR descriptor{};
  descriptor.Ptr = static_cast<ULONGLONG>(reinterpret_cast<ULONG_PTR>(data));
  descriptor.Size = static_cast<ULONG>(size);
  descriptor.Reserved = type;
  return descriptor;
}

// One report at a time: the provider's registration is a single process-wide slot.
SRWLOCK g_reportLock = SRWLOCK_INIT;

class ReportLockGuard {
 public:
  ReportLockGuard() noexcept { ::AcquireSRWLockExclusive(&g_reportLock); }
  ~ReportLockGuard() { ::ReleaseSRWLockExclusive(&g_reportLock); }
  ReportLockGuard(const ReportLockGuard&) = delete;
  ReportLockGuard& operator=(const ReportLockGuard&) = delete;
};

EventProviderState g_providerState;

EventTracingFunctions FindEventTracingFunctions() noexcept {
  const HMODULE advapi = LoadSystemLibrary(L"ADVAPI32.dll");
  EventTracingFunctions found;
  found.eventRegister = FindFunction<EventRegisterFunction>(advapi, "EventRegister");
  found.eventSetInformation =
      FindFunction<EventSetInformationFunction>(advapi, "EventSetInformation");
  found.eventWriteTransfer = FindFunction<EventWriteTransferFunction>(advapi, "EventWriteTransfer");
  found.eventUnregister = FindFunction<EventUnregisterFunction>(advapi, "EventUnregister");
  return found;
}

}  // namespace

const EventTracingFunctions& SystemEventTracingFunctions() noexcept {
  return OnceValue<EventTracingFunctions, &FindEventTracingFunctions>();
}

void NTAPI RecordProviderEnableState(LPCGUID /*sourceId*/, ULONG isEnabled, UCHAR level,
                                     ULONGLONG matchAnyKeyword, ULONGLONG matchAllKeyword,
                                     PEVENT_FILTER_DESCRIPTOR /*filterData*/,
                                     PVOID callbackContext) noexcept {
  auto* const state = static_cast<EventProviderState*>(callbackContext);
  if (state == nullptr) {
    return;
  }
  if (isEnabled == kEnableProvider) {
    state->recordedLevelPlusOne = RecordedLevelFor(level);
    state->matchAnyKeyword = matchAnyKeyword;
    state->matchAllKeyword = matchAllKeyword;
  } else if (isEnabled == kDisableProvider) {
    state->recordedLevelPlusOne = 0;
  }
}

void ReportCreateEnvironmentError(HRESULT hr, bool clientDllFound, bool installedRuntime,
                                  const EventTracingFunctions& functions) noexcept {
  ReportCreateEnvironmentError(hr, clientDllFound, installedRuntime, functions, g_providerState);
}

void ReportCreateEnvironmentError(HRESULT hr, bool clientDllFound, bool installedRuntime,
                                  const EventTracingFunctions& functions,
                                  EventProviderState& state) noexcept {
  // A registration that could not be released again would keep the slot taken for good, so
  // both ends of it must exist.
  if (functions.eventRegister == nullptr || functions.eventUnregister == nullptr) {
    return;
  }
  const ReportLockGuard lock;
  if (state.handle != 0) {
    return;
  }

  std::vector<std::uint8_t> providerTraits;
  std::vector<std::uint8_t> eventMetadata;
  // Without memory for the two blobs there is no report.
  if (!CatchOutOfMemory(false, [&] {
        providerTraits = BuildProviderTraits();
        eventMetadata = BuildEventMetadata();
        return true;
      })) {
    return;
  }

  if (functions.eventRegister(&kProviderId, &RecordProviderEnableState, &state, &state.handle) !=
      ERROR_SUCCESS) {
    state = EventProviderState{};
    return;
  }

  if (functions.eventSetInformation != nullptr) {
    functions.eventSetInformation(state.handle,
                                  static_cast<EVENT_INFO_CLASS>(kEventProviderSetTraitsClass),
                                  providerTraits.data(), static_cast<ULONG>(providerTraits.size()));
  }

  if (functions.eventWriteTransfer != nullptr &&
      ShouldWriteLoaderErrorEvent(state.recordedLevelPlusOne, state.matchAnyKeyword,
                                  state.matchAllKeyword)) {
    const auto descriptor = std::bit_cast<EVENT_DESCRIPTOR>(kLoaderErrorEventDescriptor);
    const LoaderErrorEventValues values =
        MakeLoaderErrorEventValues(static_cast<std::int32_t>(hr), clientDllFound, installedRuntime);
    std::array<EVENT_DATA_DESCRIPTOR, 6> data{{
        DataDescriptor(providerTraits.data(), providerTraits.size(),
                       kEventDataDescriptorTypeProviderMetadata),
        DataDescriptor(eventMetadata.data(), eventMetadata.size(),
                       kEventDataDescriptorTypeEventMetadata),
        DataDescriptor(&values.hresult, sizeof(values.hresult), kEventDataDescriptorTypeUserData),
        DataDescriptor(&values.clientDllFound, sizeof(values.clientDllFound),
                       kEventDataDescriptorTypeUserData),
        DataDescriptor(&values.installedRuntime, sizeof(values.installedRuntime),
                       kEventDataDescriptorTypeUserData),
        DataDescriptor(&values.partAPrivTags, sizeof(values.partAPrivTags),
                       kEventDataDescriptorTypeUserData),
    }};
    // Nothing useful can be done when the write fails; the report is best effort.
    functions.eventWriteTransfer(state.handle, &descriptor, nullptr, nullptr,
                                 static_cast<ULONG>(data.size()), data.data());
  }

  const REGHANDLE handle = state.handle;
  state = EventProviderState{};
  functions.eventUnregister(handle);
}

}  // namespace mirvot
