// The program's load configuration, for the clang and lld build over MinGW-w64
// (MSVC's runtime brings its own). MinGW-w64 10's runtime has none, so without
// this record the program would carry neither Control Flow Guard nor the
// dependent load flags, whatever the compiler and linker are told.
//
// Written in assembler because GuardFlags is a DWORD that takes the value of a
// linker-made absolute symbol, which no C initialiser can truncate to 32 bits.

#define IMAGE_LOAD_CONFIG_DIRECTORY64_SIZE 320
// Every DLL the program imports is looked for in the system directory only.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x0800

// Code compiled with -mguard=cf calls through these two pointers. Windows
// replaces both when it turns the guard on for the process; until then (and
// under Wine, which never does) the check lets every target pass and the
// dispatch jumps to its target. Read-only in a section of their own, as MSVC
// keeps them, so that nothing but the loader can redirect them.
    .section .00cfg, "dr"
    .p2align 3
    .globl __guard_check_icall_fptr
__guard_check_icall_fptr:
    .quad guardCheckAnyTarget
    .globl __guard_dispatch_icall_fptr
__guard_dispatch_icall_fptr:
    .quad guardDispatchToTarget

    .text
// The target arrives in rcx; the check must leave every argument register as
// it was, so it does nothing at all.
    .def guardCheckAnyTarget; .scl 3; .type 32; .endef
    .p2align 4
guardCheckAnyTarget:
    ret

// The target arrives in rax, the call's own arguments in their registers and
// on the stack, untouched.
    .def guardDispatchToTarget; .scl 3; .type 32; .endef
    .p2align 4
guardDispatchToTarget:
    jmp *%rax

// IMAGE_LOAD_CONFIG_DIRECTORY64 as the Windows SDK (10.0.22621) lays it out,
// 320 bytes, no padding; the byte offset of each field on its left. lld
// points the PE header's load configuration entry at this symbol and fills the
// __guard_* symbols from the guard tables it builds.
    .section .rdata, "dr"
    .p2align 3
    .globl _load_config_used
_load_config_used:
    .long IMAGE_LOAD_CONFIG_DIRECTORY64_SIZE   //   0 Size
    .long 0                                    //   4 TimeDateStamp
    .short 0, 0                                //   8 MajorVersion, MinorVersion
    .long 0, 0, 0                              //  12 GlobalFlagsClear, GlobalFlagsSet, CriticalSectionDefaultTimeout
    .quad 0, 0                                 //  24 DeCommitFreeBlockThreshold, DeCommitTotalFreeThreshold
    .quad 0                                    //  40 LockPrefixTable
    .quad 0, 0, 0                              //  48 MaximumAllocationSize, VirtualMemoryThreshold, ProcessAffinityMask
    .long 0                                    //  72 ProcessHeapFlags
    .short 0                                   //  76 CSDVersion
    .short LOAD_LIBRARY_SEARCH_SYSTEM32        //  78 DependentLoadFlags
    .quad 0                                    //  80 EditList
    // None: the program is compiled without stack cookies.
    .quad 0                                    //  88 SecurityCookie
    .quad 0, 0                                 //  96 SEHandlerTable, SEHandlerCount (32-bit images only)
    .quad __guard_check_icall_fptr             // 112 GuardCFCheckFunctionPointer
    .quad __guard_dispatch_icall_fptr          // 120 GuardCFDispatchFunctionPointer
    .quad __guard_fids_table                   // 128 GuardCFFunctionTable
    .quad __guard_fids_count                   // 136 GuardCFFunctionCount
    .long __guard_flags                        // 144 GuardFlags
    .short 0, 0                                // 148 CodeIntegrity.Flags, .Catalog
    .long 0, 0                                 // 152 CodeIntegrity.CatalogOffset, .Reserved
    .quad __guard_iat_table                    // 160 GuardAddressTakenIatEntryTable
    .quad __guard_iat_count                    // 168 GuardAddressTakenIatEntryCount
    .quad __guard_longjmp_table                // 176 GuardLongJumpTargetTable
    .quad __guard_longjmp_count                // 184 GuardLongJumpTargetCount
    .quad 0                                    // 192 DynamicValueRelocTable
    .quad 0                                    // 200 CHPEMetadataPointer
    .quad 0, 0                                 // 208 GuardRFFailureRoutine, GuardRFFailureRoutineFunctionPointer
    .long 0                                    // 224 DynamicValueRelocTableOffset
    .short 0, 0                                // 228 DynamicValueRelocTableSection, Reserved2
    .quad 0                                    // 232 GuardRFVerifyStackPointerFunctionPointer
    .long 0, 0                                 // 240 HotPatchTableOffset, Reserved3
    .quad 0                                    // 248 EnclaveConfigurationPointer
    .quad 0                                    // 256 VolatileMetadataPointer
    .quad 0, 0                                 // 264 GuardEHContinuationTable, GuardEHContinuationCount
    .quad 0, 0, 0                              // 280 GuardXFGCheckFunctionPointer, GuardXFGDispatchFunctionPointer,
                                               //     GuardXFGTableDispatchFunctionPointer
    .quad 0                                    // 304 CastGuardOsDeterminedFailureMode
    .quad 0                                    // 312 GuardMemcpyFunctionPointer
    // 320: the end, which Size above must name.
    .if . - _load_config_used - IMAGE_LOAD_CONFIG_DIRECTORY64_SIZE
    .error "the load configuration is not IMAGE_LOAD_CONFIG_DIRECTORY64_SIZE bytes"
    .endif
