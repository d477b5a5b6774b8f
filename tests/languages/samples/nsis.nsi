; Installer script
!define NAME "Demo"
Name "${NAME}"
OutFile "setup.exe"
Var /GLOBAL counter

Section "Main" SecMain
    SetOutPath $INSTDIR
    File "demo.exe"
    StrCpy $0 10
SectionEnd

Function .onInit
    MessageBox MB_OK "Welcome to $(^Name)"
FunctionEnd
