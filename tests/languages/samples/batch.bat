@echo off
REM Build the project
setlocal enabledelayedexpansion
set NAME=penwright
:build
if exist "%NAME%.exe" del %NAME%.exe
xcopy /y src dest > nul
goto :eof
