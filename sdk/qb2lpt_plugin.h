/*
 * The list plugin contract of Quillerby2, as the QB2LPT bench calls it. Plain C: include it from C
 * or C++, build with MinGW-w64 or MSVC.
 * Copyright (c) 2026 QB2LPT developers. MIT licence: may be copied into closed-source plugins.
 *
 * A list plugin is a 32-bit Windows DLL. The host loads it, looks up to 24 exports by their plain,
 * undecorated names, and asks them for one item of rename data (title, maker, year...) for a file
 * identified by a key. An export the plugin lacks is simply never called.
 *
 * Exports. Every export is stdcall: each parameter takes one 32-bit stack slot and the export
 * removes its parameters before returning. stdcall symbols are decorated (GetTitle@20), and
 * __declspec(dllexport) alone exports them under those decorated names, which the host does not
 * find: link with qb2lpt_plugin.def (next to this header) instead. MinGW:
 *   i686-w64-mingw32-gcc -shared -o myplugin.dll myplugin.c qb2lpt_plugin.def -Wl,--enable-stdcall-fixup
 * MSVC (x86):
 *   cl /LD myplugin.c /link /DEF:qb2lpt_plugin.def
 *
 * Results are 16-bit: the host reads only the low 16 bits of EAX, as a signed value.
 *
 * Text exports negotiate the size of the result buffer in two calls:
 *   1. The probe: *buffer is NULL and size is 0. Return the number of bytes you need, terminating
 *      zero included (1 to 32767), or a status code (0 or below), which ends the request. Write
 *      nothing.
 *   2. The host allocates a zero-filled buffer, puts its address in *buffer and calls again with
 *      its size. Write at most `size` bytes, terminating zero included, leave *buffer unchanged and
 *      return QB2LPT_OK (any value above 0) or one of the status codes below. The host shows the
 *      status code's message, then whatever text the buffer holds.
 * The size may differ from what the probe asked for: the user can request any length, and the size
 * passed is then its low 16 bits (a 65536-byte buffer arrives with size 0). Check it on every call:
 * a smaller buffer must never be written past its end, and a call with a buffer but size 0 should
 * answer QB2LPT_BUFFER_SIZE_ZERO. The host calls each export afresh for every request; give the
 * same answer to the same question every time.
 *
 * Numeric exports (GetYear, GetImgNum, GetR) return the value itself (0 to 32767) or a negative
 * status code; 0 is a value, not a status. GetPluginVersion returns the plugin's version times 100
 * (62 is version 0.62) and no status code.
 *
 * Keys: the key is always text, passed as the user or the host has it; the key type code says how
 * to read it (a CRC written in hex, or a file name with or without its extension). How keys are
 * compared (case, leading zeros) is the plugin's choice: document it for your users.
 *
 * Texts are zero-terminated, in the system's ANSI code page (Shift-JIS on a Japanese system).
 * The list data (the list-data file's whole content followed by one zero byte; no length is
 * passed) and the key are read-only: never write into them. The list data's format is the
 * plugin's own business.
 */
#ifndef QB2LPT_PLUGIN_H
#define QB2LPT_PLUGIN_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define QB2LPT_CALL __stdcall
#else
#define QB2LPT_CALL
#endif

/* Key type codes: how to read the key text. */
#define QB2LPT_KEY_CRC16 16     /* a 16-bit CRC, as text ("16 bit CRC") */
#define QB2LPT_KEY_CRC32 0      /* a 32-bit CRC, as text ("32 bit CRC"); also when none is chosen */
#define QB2LPT_KEY_BODY 100     /* the file name without its extension ("FileName (body)") */
#define QB2LPT_KEY_BODY_EXT 101 /* the file name with its extension ("FileName (body.ext)") */

/* Status codes: a text export's result at or below 0, a numeric export's result below 0. The host
 * shows a message for these six values only; any other value at or below 0 is passed over. */
#define QB2LPT_OK 1                   /* any value above 0: the text was written */
#define QB2LPT_BUFFER_SIZE_ZERO 0     /* the buffer size is 0 */
#define QB2LPT_LIST_NOT_OPEN (-256)   /* the list cannot be opened */
#define QB2LPT_KEY_NOT_FOUND (-512)   /* the key is not in the list */
#define QB2LPT_LIST_UNUSABLE (-513)   /* the list does not look usable */
#define QB2LPT_ITEM_ABSENT (-768)     /* the key was found, but the item is absent */
#define QB2LPT_NOT_A_NUMBER (-769)    /* the key was found, but the item is not a number */

/* The four call patterns. A size is passed zero-extended and a key type sign-extended in its
 * 32-bit slot, so reading either as 16 or 32 bits gives the same value. */
typedef short(QB2LPT_CALL *Qb2lptVersionFn)(void);
typedef short(QB2LPT_CALL *Qb2lptPluginTextFn)(char **buffer, unsigned short size);
typedef short(QB2LPT_CALL *Qb2lptSizedTextFn)(const char *listData, const char *key, short keyType,
                                              char **buffer, unsigned short size);
typedef short(QB2LPT_CALL *Qb2lptNumberFn)(const char *listData, const char *key, short keyType);

/* The 24 exports, in the order the host resolves and lists them. Define QB2LPT_DECLARE_EXPORTS
 * before including this header to declare them; QB2LPT_SIZED_TEXT(name) and QB2LPT_NUMBER(name)
 * also start a definition with the right signature. QB2LPT_EXPORT (empty unless you define it) is
 * put in front of each declaration.
 * windows.h declares a GetVersion of its own. When windows.h is included first, this header leaves
 * GetVersion undeclared: define the export under another name, for instance
 *   QB2LPT_SIZED_TEXT(PluginGetVersion) { ... }
 * and export it as GetVersion with the line "GetVersion = PluginGetVersion" in the .def file. */
#ifdef QB2LPT_DECLARE_EXPORTS
#ifndef QB2LPT_EXPORT
#define QB2LPT_EXPORT
#endif
#define QB2LPT_SIZED_TEXT(name)                                                               \
  QB2LPT_EXPORT short QB2LPT_CALL name(const char *listData, const char *key, short keyType, \
                                       char **buffer, unsigned short size)
#define QB2LPT_NUMBER(name) \
  QB2LPT_EXPORT short QB2LPT_CALL name(const char *listData, const char *key, short keyType)

QB2LPT_EXPORT short QB2LPT_CALL GetPluginVersion(void);
QB2LPT_EXPORT short QB2LPT_CALL GetPluginAuthor(char **buffer, unsigned short size);
QB2LPT_EXPORT short QB2LPT_CALL GetPluginInfo(char **buffer, unsigned short size);
QB2LPT_SIZED_TEXT(GetTitle);
QB2LPT_SIZED_TEXT(GetMaker);
QB2LPT_SIZED_TEXT(GetCountry);
#ifndef _WINBASE_
QB2LPT_SIZED_TEXT(GetVersion);
#endif
QB2LPT_SIZED_TEXT(GetGenre);
QB2LPT_NUMBER(GetYear);
QB2LPT_NUMBER(GetImgNum);
QB2LPT_NUMBER(GetR);
QB2LPT_SIZED_TEXT(GetCreator);
QB2LPT_SIZED_TEXT(GetMemo);
QB2LPT_SIZED_TEXT(GetKana);
QB2LPT_SIZED_TEXT(GetDeveloper);
QB2LPT_SIZED_TEXT(GetSaleDate);
QB2LPT_SIZED_TEXT(GetModel);
QB2LPT_SIZED_TEXT(GetPrice);
QB2LPT_SIZED_TEXT(GetMediaInfo);
QB2LPT_SIZED_TEXT(GetDeviceInfo);
QB2LPT_SIZED_TEXT(GetPlayer);
QB2LPT_SIZED_TEXT(GetSaveInfo);
QB2LPT_SIZED_TEXT(GetSoundInfo);
QB2LPT_SIZED_TEXT(GetCeroRating);
#endif /* QB2LPT_DECLARE_EXPORTS */

#ifdef __cplusplus
}
#endif

#endif /* QB2LPT_PLUGIN_H */
