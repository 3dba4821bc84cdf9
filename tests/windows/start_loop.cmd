@echo off
rem Starts the launcher %1 with the arguments hello "two words" %2 times, then on till the file %3 is there.
set n=0
:loop
"%~1" hello "two words"
set /a n+=1
if %n% lss %2 goto loop
if not exist "%~3" goto loop
