/* KivSQLite3: the module's binary interface, for hosts (the authoring host, kivhost,
 * tests). Declares the eleven exports, the host callback types and the one switch
 * between the Windows calling convention and export names and the Linux ones.
 * Nothing else of the module is public. */
#ifndef KIVSQLITE3_H
#define KIVSQLITE3_H

#include <stdint.h>

#if defined(_WIN32)
#define KIV_CALL __stdcall
/* Exports are named by the module's .def file; no dllexport, so no other names leak. */
#define KIV_EXPORT
/* Export name of a stdcall function with `bytes` bytes of arguments. */
#define KIV_EXPORT_NAME(name, bytes) "_" #name "@" #bytes
#else
#define KIV_CALL
#define KIV_EXPORT __attribute__((visibility("default")))
#define KIV_EXPORT_NAME(name, bytes) #name
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Host callback: announces one action. Arguments: number, name, hint, parameter type,
 * parameter count, the count again. The texts live only during the call. */
typedef int32_t(KIV_CALL *RegisterActionFn)(int32_t number, const char *name, const char *hint,
                                            const char *type, int32_t count, int32_t count_again);

/* Host callback: sets a script variable. A null pointer stands for an empty text. The
 * texts live only during the call; the host copies what it keeps. */
typedef int32_t(KIV_CALL *SetVariableFn)(const char *name, const char *value);

/* A pointer-sized location in the host holding 0 or a block of host memory with a
 * NUL-terminated text (GlobalAlloc on Windows, calloc on Linux); the host frees it. */
typedef intptr_t HostTextSlot;

KIV_EXPORT void KIV_CALL qvRegisterPlugIn(RegisterActionFn reg, intptr_t a2, intptr_t a3,
                                          SetVariableFn setvar);
KIV_EXPORT void KIV_CALL qvInitPlugIn(intptr_t a1, HostTextSlot *title, HostTextSlot *author,
                                      HostTextSlot *description);
KIV_EXPORT void KIV_CALL qvRegisterScriptProcessor(intptr_t value);
KIV_EXPORT void KIV_CALL qvRegisterInterfaceAccess(intptr_t value);
KIV_EXPORT void KIV_CALL qvMessage(int32_t message, intptr_t param);
KIV_EXPORT int32_t KIV_CALL qvEditAction(int32_t action, intptr_t ignored);
KIV_EXPORT int32_t KIV_CALL qvExecAction(int32_t action, const char *const *params);

/* The four actions: one "|"-separated parameter text in, always a null text out. */
KIV_EXPORT const char *KIV_CALL QX_SQLITE_CMD(const char *params);
KIV_EXPORT const char *KIV_CALL QX_SQLITE_SELECT(const char *params);
KIV_EXPORT const char *KIV_CALL QX_SQLITE_BLOB_GET(const char *params);
KIV_EXPORT const char *KIV_CALL QX_SQLITE_BLOB_PUT(const char *params);

#ifdef __cplusplus
}
#endif

#endif /* KIVSQLITE3_H */
