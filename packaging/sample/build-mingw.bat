@echo off
rem Builds sample.dll from the sources in this folder with MinGW-w64: a 32-bit (i686) gcc on the
rem PATH, or the compiler that CC names (set CC=i686-w64-mingw32-gcc). The sources are UTF-8;
rem -fexec-charset turns their Japanese texts into the Shift-JIS bytes that the host reads.
setlocal
if not defined CC set CC=gcc
cd /d "%~dp0"
%CC% -O2 -Wall -msse2 -finput-charset=UTF-8 -fexec-charset=CP932 -I.. -shared -static-libgcc -o sample.dll sample_plugin.c list_lookup.c ../sdk/qb2lpt_plugin.def -Wl,--enable-stdcall-fixup
if errorlevel 1 exit /b 1
echo sample.dll is built.
