/* KivSQLite3: the module's binary interface, for hosts (the authoring host, kivhost,
 * tests). Declares the host callback types and the eleven exports. The exports are
 * listed once, in KIV_EXPORTS: the build makes the Linux version script and the Windows
 * .def file from that list (cmake/module_exports.cmake, through the preprocessor), and
 * hosts find the exports by the names it gives. */
#ifndef KIVSQLITE3_H
#define KIVSQLITE3_H

#include <stdint.h>

#if defined(_WIN32)
#define KIV_CALL __stdcall
/* The .def file names the exports; no dllexport, so no other names leak. */
#define KIV_EXPORT
/* The name a host asks the loader for. */
#define KIV_EXPORT_NAME(name, windowsName) windowsName
#else
#define KIV_CALL
#define KIV_EXPORT __attribute__((visibility("default")))
#define KIV_EXPORT_NAME(name, windowsName) #name
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

/* clang-format off */
/* The exports, each once: X(result, name, bytes of arguments, Windows export name,
 * parameters), with its contract above it. The host interface is exported on Windows
 * under its stdcall-decorated name, the four actions under their plain names. */
#define KIV_EXPORTS(X)                                                                            \
  /* Keeps the four values, then announces actions 1 to 4 through `reg` before returning. */      \
  X(void, qvRegisterPlugIn, 16, "_qvRegisterPlugIn@16",                                           \
    (RegisterActionFn reg, intptr_t a2, intptr_t a3, SetVariableFn setvar))                       \
  /* Keeps a1; puts a new host block with each identity text into each non-null slot. */          \
  X(void, qvInitPlugIn, 16, "_qvInitPlugIn@16",                                                   \
    (intptr_t a1, HostTextSlot *title, HostTextSlot *author, HostTextSlot *description))          \
  /* Keeps the value; nothing else. */                                                            \
  X(void, qvRegisterScriptProcessor, 4, "_qvRegisterScriptProcessor@4", (intptr_t value))         \
  /* Keeps the value; nothing else. */                                                            \
  X(void, qvRegisterInterfaceAccess, 4, "_qvRegisterInterfaceAccess@4", (intptr_t value))         \
  /* Does nothing, for every message and parameter. */                                            \
  X(void, qvMessage, 8, "_qvMessage@8", (int32_t message, intptr_t param))                        \
  /* 1 for actions 1 to 4, 0 for any other number; shows no editor, reads no argument. */         \
  X(int32_t, qvEditAction, 8, "_qvEditAction@8", (int32_t action, intptr_t ignored))              \
  /* Runs action 1 to 4 on the text *params (null: empty), which ends by handing the              \
   * answer to the script variable, and returns 1; 0 and nothing else for other numbers. */       \
  X(int32_t, qvExecAction, 8, "_qvExecAction@8", (int32_t action, const char *const *params))     \
  /* Action 1: runs SQL for its effect and hands back "Ok" or an error text. Returns null. */     \
  X(const char *, QX_SQLITE_CMD, 4, "QX_SQLITE_CMD", (const char *params))                        \
  /* Action 2: runs SQL and hands back the record-set text or an error text. Returns null. */     \
  X(const char *, QX_SQLITE_SELECT, 4, "QX_SQLITE_SELECT", (const char *params))                  \
  /* Action 3: copies one field of one row into a file. Returns null. */                          \
  X(const char *, QX_SQLITE_BLOB_GET, 4, "QX_SQLITE_BLOB_GET", (const char *params))              \
  /* Action 4: stores a whole file in one field of one row. Returns null. */                      \
  X(const char *, QX_SQLITE_BLOB_PUT, 4, "QX_SQLITE_BLOB_PUT", (const char *params))

/* clang-format on */

#define KIV_DECLARE_EXPORT(result, name, bytes, windowsName, params) \
  KIV_EXPORT result KIV_CALL name params;
KIV_EXPORTS(KIV_DECLARE_EXPORT)
#undef KIV_DECLARE_EXPORT

#ifdef __cplusplus
}
#endif

#endif /* KIVSQLITE3_H */
