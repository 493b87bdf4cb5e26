; The benchmark's peer: an NSIS installer doing the setup's job (the same eight
; files, the same registry values, four Start menu shortcuts), stored without
; compression so that it copies the same bytes the setup copies.
; makensis -DPAYLOAD=DIR -DOUTFILE=EXE nimbet.nsi
!ifndef PAYLOAD | OUTFILE
  !error "define PAYLOAD (the directory of the eight files) and OUTFILE"
!endif

Name "Nimbet 2 Alpha"
OutFile "${OUTFILE}"
SetCompress off
InstallDir "c:\Nimbet 2 Alpha"
RequestExecutionLevel admin

Page directory
Page instfiles

Section
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}/Nim2Alph.exe"
  File "${PAYLOAD}/tour.kvr"
  File "${PAYLOAD}/calm.mid"
  File "${PAYLOAD}/nimbet2.mid"
  File "${PAYLOAD}/Notes.doc"
  File "${PAYLOAD}/options.exe"
  File "${PAYLOAD}/Unsetup.exe"
  File "${PAYLOAD}/Unsetup.bat"

  WriteRegStr HKCU "Software\Orvanex\Nimbet 2 Alpha" "location" "$INSTDIR"
  WriteRegStr HKCU "Software\Orvanex\Nimbet 2 Alpha" "version" "0.1"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Nimbet 2 Alpha" "DisplayName" "Nimbet 2 Alpha"
  WriteRegStr HKLM "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Nimbet 2 Alpha" "UninstallString" "$INSTDIR\unsetup.exe 0"

  ; Shortcuts start in $INSTDIR, the current output path.
  CreateDirectory "$SMPROGRAMS\Nimbet 2 Alpha"
  CreateShortCut "$SMPROGRAMS\Nimbet 2 Alpha\Nimbet 2 Alpha.lnk" "$INSTDIR\Nim2Alph.exe"
  CreateShortCut "$SMPROGRAMS\Nimbet 2 Alpha\Readme.lnk" "$INSTDIR\Notes.doc"
  CreateShortCut "$SMPROGRAMS\Nimbet 2 Alpha\Configuration.lnk" "$INSTDIR\options.exe" "1"
  CreateShortCut "$SMPROGRAMS\Nimbet 2 Alpha\Uninstall Nimbet 2 Alpha.lnk" "$INSTDIR\Unsetup.exe"
SectionEnd
