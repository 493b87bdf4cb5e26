@echo off
rem Run by Unsetup.exe, from a copy, once it has ended: removes it, this file
rem and the install folder, if empty, then the copy. For COMMAND.COM too.
set nimtries=
:wait
if not exist %1\Unsetup.exe goto gone
del %1\Unsetup.exe
if not exist %1\Unsetup.exe goto gone
set nimtries=%nimtries%.
if "%nimtries%"=="...................." goto gone
ping -n 2 127.0.0.1 >nul
goto wait
:gone
del %1\Unsetup.bat
rd %1
del %0
