#pragma once

// Where Windows keeps the machine facts the wizard reads from the registry. The wizard reads
// them here, and the emulated registry of the Linux leg writes its machine profile to the same
// places.
namespace platform {

// Below HKEY_LOCAL_MACHINE, in the 64-bit view.
inline constexpr const wchar_t* kCryptographyKey = L"SOFTWARE\\Microsoft\\Cryptography";
inline constexpr const wchar_t* kMachineGuidValue = L"MachineGuid";

// Below HKEY_LOCAL_MACHINE, in the 64-bit view: the clock of the first processor in MHz.
inline constexpr const wchar_t* kCentralProcessorKey =
    L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
inline constexpr const wchar_t* kProcessorMhzValue = L"~MHz";

}  // namespace platform
