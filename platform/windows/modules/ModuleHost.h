#pragma once
// What a library module of the simulated Windows gets from the program that
// loads it. Such a module works on Windows paths and the registry of the
// system root, which only the loading program knows: after loading, the
// loader calls the module's exported "VorelAttachHost" (when it has one)
// with this table, and the module reaches the root only through it.
//
// Plain C, so modules need nothing of ours but this header.
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VorelModuleHost {
    int version;  // 1
    // Writes the host path of a Windows path into buffer (zero-terminated);
    // 0 when done, -1 for a path outside the root or a buffer too small.
    int (*HostPath)(const char* windowsPath, char* buffer, size_t size);
    // A string value of HKEY_LOCAL_MACHINE (key text as "\Software\x");
    // its length when it fitted the buffer, -1 when missing or too long.
    int (*ReadMachineString)(const char* key, const char* name, char* buffer, size_t size);
    // Creates the key when needed; 0 when written.
    int (*WriteMachineString)(const char* key, const char* name, const char* value);
    // 0 when the file may be written or replaced: inside the root and not in
    // use by another program; -1 otherwise.
    int (*MayWrite)(const char* windowsPath);
} VorelModuleHost;

typedef void (*VorelAttachHostProc)(const VorelModuleHost* host);

#ifdef __cplusplus
}
#endif
