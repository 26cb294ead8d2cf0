// The exports of the scriptable test plugin all lead to RunScriptedCall; the macros below define
// one export of each call pattern. The export files include no Windows header, so that the plugin
// can export a GetVersion of its own.
#pragma once

#include <cstdint>

struct ScriptedCall {
  const char* exportName;
  bool takesKey;     // list data, key and key type code
  bool takesBuffer;  // buffer reference and size
  const char* listData;
  const char* key;
  uint32_t keyTypeSlot;
  char** bufferRef;
  uint32_t sizeSlot;
};

// Answers one call as the script says and records it in the log; returns the whole 32-bit result.
int32_t RunScriptedCall(const ScriptedCall& call);

// Every parameter is declared 32 bits wide so that the raw slot values reach the log.
#define SCRIPTED_VERSION(name)                                                         \
  extern "C" __declspec(dllexport) int32_t __stdcall name() {                          \
    return RunScriptedCall({#name, false, false, nullptr, nullptr, 0, nullptr, 0});   \
  }
#define SCRIPTED_PLUGIN_TEXT(name)                                                     \
  extern "C" __declspec(dllexport) int32_t __stdcall name(char** buffer, uint32_t size) { \
    return RunScriptedCall({#name, false, true, nullptr, nullptr, 0, buffer, size});  \
  }
#define SCRIPTED_SIZED_TEXT(name)                                                             \
  extern "C" __declspec(dllexport) int32_t __stdcall name(                                    \
      const char* listData, const char* key, uint32_t keyType, char** buffer, uint32_t size) { \
    return RunScriptedCall({#name, true, true, listData, key, keyType, buffer, size});        \
  }
#define SCRIPTED_NUMBER(name)                                                                  \
  extern "C" __declspec(dllexport) int32_t __stdcall name(const char* listData, const char* key, \
                                                          uint32_t keyType) {                  \
    return RunScriptedCall({#name, true, false, listData, key, keyType, nullptr, 0});          \
  }
