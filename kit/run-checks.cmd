@echo off
rem Runs the changer's checks: every test of the test programs in this folder, one at a time. The
rem report is written to checks-report.txt beside this file and shown at the end.
cd /d "%~dp0"
if exist check_runner.exe goto run
echo Unpack the whole zip into a folder first, and run run-checks.cmd from there.
rem Double-clicked (Explorer also starts it from inside the zip, alone), cmd was started with /c and
rem its window would close before the sentence could be read.
set "started_by=%cmdcmdline%"
setlocal enabledelayedexpansion
if /i not "!started_by:/c =!"=="!started_by!" pause
exit /b 1
:run
check_runner.exe
exit /b %errorlevel%
