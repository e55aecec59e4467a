// The load configuration of every image the clang build links (cmake/compiler-settings.cmake):
// the MinGW-w64 runtime of Debian 12 has none, and GNU ld cannot make one the image's load
// configuration directory. Written from the PE format's description of the 64-bit load
// configuration (IMAGE_LOAD_CONFIG_DIRECTORY64); lld makes the structure the image's load
// configuration directory.
//
// With MIRVOT_CONTROL_FLOW_GUARD (off by default; README, "Binary rules", says why) it also
// names the Control Flow Guard tables that lld fills in and holds the guard pointers that
// clang's instrumented code calls through.

	.section .rdata,"dr"
	.p2align 3
	.globl _load_config_used
_load_config_used:
	.long load_config_end - _load_config_used	// Size: every field below, up to the memcpy guard
	.long 0		// TimeDateStamp
	.short 0, 0	// MajorVersion, MinorVersion
	.long 0		// GlobalFlagsClear
	.long 0		// GlobalFlagsSet
	.long 0		// CriticalSectionDefaultTimeout
	.quad 0		// DeCommitFreeBlockThreshold
	.quad 0		// DeCommitTotalFreeThreshold
	.quad 0		// LockPrefixTable
	.quad 0		// MaximumAllocationSize
	.quad 0		// VirtualMemoryThreshold
	.quad 0		// ProcessAffinityMask
	.long 0		// ProcessHeapFlags
	.short 0	// CSDVersion
	.short 0	// DependentLoadFlags
	.quad 0		// EditList
	.quad __security_cookie			// SecurityCookie (offset 88)
	.quad 0, 0	// SEHandlerTable, SEHandlerCount: 32-bit images only
#if defined(MIRVOT_CONTROL_FLOW_GUARD)
	.quad __guard_check_icall_fptr		// GuardCFCheckFunctionPointer (offset 112)
	.quad __guard_dispatch_icall_fptr	// GuardCFDispatchFunctionPointer
	.quad __guard_fids_table		// GuardCFFunctionTable
	.quad __guard_fids_count		// GuardCFFunctionCount
	.long __guard_flags			// GuardFlags (offset 144)
#else
	.quad 0, 0, 0, 0
	.long 0
#endif
	.short 0, 0	// CodeIntegrity: Flags, Catalog
	.long 0, 0	// CodeIntegrity: CatalogOffset, Reserved
#if defined(MIRVOT_CONTROL_FLOW_GUARD)
	.quad __guard_iat_table			// GuardAddressTakenIatEntryTable
	.quad __guard_iat_count			// GuardAddressTakenIatEntryCount
	.quad __guard_longjmp_table		// GuardLongJumpTargetTable
	.quad __guard_longjmp_count		// GuardLongJumpTargetCount
#else
	.quad 0, 0, 0, 0
#endif
	.quad 0		// DynamicValueRelocTable
	.quad 0		// CHPEMetadataPointer
	.quad 0		// GuardRFFailureRoutine
	.quad 0		// GuardRFFailureRoutineFunctionPointer
	.long 0		// DynamicValueRelocTableOffset
	.short 0, 0	// DynamicValueRelocTableSection, Reserved2
	.quad 0		// GuardRFVerifyStackPointerFunctionPointer
	.long 0, 0	// HotPatchTableOffset, Reserved3
	.quad 0		// EnclaveConfigurationPointer
	.quad 0		// VolatileMetadataPointer
#if defined(MIRVOT_CONTROL_FLOW_GUARD)
	.quad __guard_eh_cont_table		// GuardEHContinuationTable
	.quad __guard_eh_cont_count		// GuardEHContinuationCount
#else
	.quad 0, 0
#endif
	.quad 0, 0, 0	// GuardXFGCheck-, GuardXFGDispatch-, GuardXFGTableDispatchFunctionPointer
	.quad 0		// CastGuardOsDeterminedFailureMode
	.quad 0		// GuardMemcpyFunctionPointer
load_config_end:
	.if load_config_end - _load_config_used - 320
	.error "the 64-bit load configuration is 320 bytes long"
	.endif

// The security cookie: the system's loader replaces this value, which tells it the cookie has
// not been set, with a random one when it maps the image. (The code's own stack checks use the
// compiler's stack protector, whose guard the C runtime seeds at start-up.)
	.data
	.p2align 3
	.globl __security_cookie
__security_cookie:
	.quad 0x00002B992DDFA232

#if defined(MIRVOT_CONTROL_FLOW_GUARD)
// The two pointers through which clang's instrumented code checks or makes an indirect call.
// A system that enforces Control Flow Guard replaces them with its own check and dispatch when
// it loads the image; elsewhere (older systems, Wine) they keep these, which let every call
// through. They live in a read-only section of their own, as the platform's linker places
// them, so that nothing but the loader can change them.
	.section .00cfg,"dr"
	.p2align 3
	.globl __guard_check_icall_fptr
__guard_check_icall_fptr:
	.quad guard_check_icall_unenforced
	.globl __guard_dispatch_icall_fptr
__guard_dispatch_icall_fptr:
	.quad guard_dispatch_icall_unenforced

	.text
	.p2align 4
// Checks nothing: the target in RCX is called by the caller itself.
guard_check_icall_unenforced:
	ret
	.p2align 4
// Calls the target in RAX, with the caller's arguments and stack untouched.
guard_dispatch_icall_unenforced:
	jmp *%rax
#endif
