#pragma once
// The loader's ETW error event "CreateWebViewEnvironmentError", written once per failed
// creation attempt. The provider is registered only for the instant of one report, so a
// process that never fails never registers it.
#include <windows.h>
#include <evntprov.h>

#include <cstdint>

namespace mirvot {

// The four ADVAPI32 functions a report needs, declared here rather than taken from the SDK
// headers because some of them are hidden behind newer target versions there.
using EventRegisterFunction = ULONG(WINAPI*)(LPCGUID providerId, PENABLECALLBACK enableCallback,
                                             PVOID callbackContext, PREGHANDLE handle);
using EventSetInformationFunction = ULONG(WINAPI*)(REGHANDLE handle,
                                                   EVENT_INFO_CLASS informationClass,
                                                   PVOID information, ULONG informationLength);
using EventWriteTransferFunction = ULONG(WINAPI*)(REGHANDLE handle, PCEVENT_DESCRIPTOR descriptor,
                                                  LPCGUID activityId, LPCGUID relatedActivityId,
                                                  ULONG dataCount, PEVENT_DATA_DESCRIPTOR data);
using EventUnregisterFunction = ULONG(WINAPI*)(REGHANDLE handle);

// Where a report gets its ETW functions from; a missing function is null.
struct EventTracingFunctions {
  EventRegisterFunction eventRegister = nullptr;
  EventSetInformationFunction eventSetInformation = nullptr;
  EventWriteTransferFunction eventWriteTransfer = nullptr;
  EventUnregisterFunction eventUnregister = nullptr;
};

// The provider's registration slot and what its enable callback recorded. ETW runs the
// callback during registration for each trace that has the provider enabled.
struct EventProviderState {
  REGHANDLE handle = 0;
  // The enabling trace's level + 1 (256 for a trace that asked for level 0); 0 when no trace
  // has the provider enabled.
  std::uint32_t recordedLevelPlusOne = 0;
  std::uint64_t matchAnyKeyword = 0;
  std::uint64_t matchAllKeyword = 0;
};

// The functions of ADVAPI32.dll from System32, which is loaded the first time and kept for the
// life of the process. All null when it does not load.
[[nodiscard]] const EventTracingFunctions& SystemEventTracingFunctions() noexcept;

// The provider's enable callback; its context is the EventProviderState being registered.
void NTAPI RecordProviderEnableState(LPCGUID sourceId, ULONG isEnabled, UCHAR level,
                                     ULONGLONG matchAnyKeyword, ULONGLONG matchAllKeyword,
                                     PEVENT_FILTER_DESCRIPTOR filterData,
                                     PVOID callbackContext) noexcept;

// Reports one failed attempt through `functions` (SystemEventTracingFunctions() in the program):
// the failing code, whether discovery had found the engine library (so the failure came from
// loading it or from the engine), and whether the attempt searched the installed runtimes. The
// provider's registration slot is the process's own.
void ReportCreateEnvironmentError(HRESULT hr, bool clientDllFound, bool installedRuntime,
                                  const EventTracingFunctions& functions) noexcept;

// The same report through the given functions and provider state. Reports are serialised
// process-wide, so the state is never shared by two reports at once; a state whose slot is
// still taken is not registered again.
void ReportCreateEnvironmentError(HRESULT hr, bool clientDllFound, bool installedRuntime,
                                  const EventTracingFunctions& functions,
                                  EventProviderState& state) noexcept;

}  // namespace mirvot
