@echo off
rem Builds sample.dll from the sources in this folder with Visual C++ for 32-bit x86: run it in an
rem x86 developer command prompt (one where vcvars32.bat has run). The sources are UTF-8;
rem /execution-charset:.932 turns their Japanese texts into the Shift-JIS bytes that the host reads.
setlocal
cd /d "%~dp0"
cl /nologo /LD /O2 /W4 /source-charset:utf-8 /execution-charset:.932 /I.. /Fesample.dll sample_plugin.c list_lookup.c /link /DEF:..\sdk\qb2lpt_plugin.def
if errorlevel 1 exit /b 1
echo sample.dll is built.
