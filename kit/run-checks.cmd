@echo off
rem Runs the changer's checks: every test of the test programs in this folder, one at a time. The
rem report is written to checks-report.txt beside this file and shown at the end.
cd /d "%~dp0"
check_runner.exe
exit /b %errorlevel%
