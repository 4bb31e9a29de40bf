@echo off
rem Runs every test of Trawlix on this Windows: the x64 set, then the x86 set.
rem   run-tests.cmd [--only PROGRAM]... [--gtest_filter=...]
rem The runner of the x64 set on 64-bit Windows, of the x86 set on 32-bit Windows.
setlocal
set "runner=%~dp0x64\KitRunner.exe"
if /i "%PROCESSOR_ARCHITECTURE%"=="x86" if not defined PROCESSOR_ARCHITEW6432 set "runner=%~dp0x86\KitRunner.exe"
"%runner%" %*
exit /b %ERRORLEVEL%
