// The program's load configuration, for the clang and lld build over MinGW-w64
// (MSVC's runtime brings its own). MinGW-w64 10's runtime has none, so without
// this record the program would not carry the dependent load flags, whatever
// the linker is told. Its guard fields stay empty: this build has no Control
// Flow Guard (CMakeLists.txt says why). Only the guarded twin that the release
// checks link (ORVA_GUARD_TABLE) takes the table lld builds, so that the guard
// table check reads an image as the guard would be shipped.
//
// Written in assembler because GuardFlags is a DWORD that takes the value of a
// linker-made absolute symbol, which no C initialiser can truncate to 32 bits.

#define IMAGE_LOAD_CONFIG_DIRECTORY64_SIZE 320
// Every DLL the program imports is looked for in the system directory only.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x0800

// IMAGE_LOAD_CONFIG_DIRECTORY64 as the Windows SDK (10.0.22621) lays it out,
// 320 bytes, no padding; the byte offset of each field on its left. lld
// points the PE header's load configuration entry at this symbol.
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
    .quad 0, 0                                 // 112 GuardCFCheckFunctionPointer, GuardCFDispatchFunctionPointer
#ifdef ORVA_GUARD_TABLE
    .quad __guard_fids_table, __guard_fids_count  // 128 GuardCFFunctionTable, GuardCFFunctionCount
    .long __guard_flags                        // 144 GuardFlags
#else
    .quad 0, 0                                 // 128 GuardCFFunctionTable, GuardCFFunctionCount
    .long 0                                    // 144 GuardFlags
#endif
    .short 0, 0                                // 148 CodeIntegrity.Flags, .Catalog
    .long 0, 0                                 // 152 CodeIntegrity.CatalogOffset, .Reserved
    .quad 0, 0                                 // 160 GuardAddressTakenIatEntryTable, GuardAddressTakenIatEntryCount
    .quad 0, 0                                 // 176 GuardLongJumpTargetTable, GuardLongJumpTargetCount
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
