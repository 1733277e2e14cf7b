; The product's installer as users get it, made by makensis (Debian's nsis
; package builds it on Linux): a 32-bit installer that puts the client, the
; uninstaller with everything it loads, writes the uninstall entry and makes
; the shortcuts for all users. scripts/test-windows builds it;
; scripts/lib/wine-suite.sh runs it under Wine, then removes the product
; from that entry's UninstallString.
;
;   makensis -INPUTCHARSET UTF8 -DPROGRAM=DIR -DCLIENT=FILE -DDATA=DIR
;            -DOUTFILE=FILE [-DUNINSTALL_FOLDER] [-DNO_INSTALL_LOCATION]
;            [-DUPDATE | -DDATA_FIRST] ferrovane.nsi
;
; PROGRAM: the uninstaller's folder as built, with the Qt and MinGW libraries
;   and plug-ins beside it (uninstaller.exe, AppConfig.xml, translations\,
;   rcc\, platforms\, ...). The GUID and both names come from its AppConfig.xml.
; CLIENT: the client program, installed at the top under AppConfig.xml's
;   ProgramName.
; DATA: the rest of the product, installed under the top as it is.
; UNINSTALL_FOLDER: the uninstaller and its files in uninstall\ rather than
;   at the top beside the client.
; NO_INSTALL_LOCATION: the entry records no InstallLocation (nor DisplayIcon):
;   only its UninstallString tells where the product lies.
; UPDATE: an update in place, run over an installed product: it writes the
;   client, the uninstaller, AppConfig.xml, Qt's libraries beside it and two
;   files of bin\ anew, and the entry and shortcuts again; the rest stays as
;   the first install left it.
; DATA_FIRST: the product's folders (bin\, data\, ...) first, then, two
;   seconds later, the client, the uninstaller and AppConfig.xml.
; Installed quietly with /S; /D=C:\Folder (last, unquoted) chooses the folder.

Unicode true
ManifestSupportedOS all

!ifndef PROGRAM | CLIENT | DATA | OUTFILE
  !error "PROGRAM, CLIENT, DATA and OUTFILE must be defined"
!endif

; The product as the uninstaller knows it.
!searchparse /file "${PROGRAM}/AppConfig.xml" "<GUID>" GUID "</GUID>"
!searchparse /file "${PROGRAM}/AppConfig.xml" "<SoftwareNameEN>" NAME_EN "</SoftwareNameEN>"
!searchparse /file "${PROGRAM}/AppConfig.xml" "<SoftwareNameCH>" NAME_CH "</SoftwareNameCH>"
!searchparse /file "${PROGRAM}/AppConfig.xml" "<ProgramName>" CLIENT_NAME "</ProgramName>"
!searchparse /noerrors /file "${PROGRAM}/AppConfig.xml" "<Version>" VERSION "</Version>"
!searchparse /noerrors /file "${PROGRAM}/AppConfig.xml" "<CompanyName>" COMPANY "</CompanyName>"
!define ENTRY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${GUID}"
!ifdef UNINSTALL_FOLDER
  !define UNINSTALLER_DIR "$INSTDIR\uninstall"
!else
  !define UNINSTALLER_DIR "$INSTDIR"
!endif

Name "${NAME_EN}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${NAME_EN}"
RequestExecutionLevel admin
; zlib rather than NSIS's usual lzma: the same files installed, and a build
; of debug libraries is made in seconds rather than most of a minute.
SetCompressor zlib
ShowInstDetails nevershow

Page directory
Page instfiles

Section "${NAME_EN}"
    SetShellVarContext all

!ifdef DATA_FIRST
    SetOutPath "$INSTDIR"
    File /r "${DATA}/*"
    Sleep 2000
!endif
    ; The files the entry and AppConfig.xml name first, then the rest.
    SetOutPath "$INSTDIR"
    File "/oname=${CLIENT_NAME}" "${CLIENT}"
    SetOutPath "${UNINSTALLER_DIR}"
    File "${PROGRAM}/uninstaller.exe"
    File "${PROGRAM}/AppConfig.xml"
!ifdef UPDATE
    File "${PROGRAM}/*.dll"
    SetOutPath "$INSTDIR\bin"
    File "${DATA}/bin/file1.dat"
    File "${DATA}/bin/file2.dat"
!else
    File /r /x uninstaller.exe /x AppConfig.xml "${PROGRAM}/*"
!ifndef DATA_FIRST
    SetOutPath "$INSTDIR"
    File /r "${DATA}/*"
!endif
!endif

    WriteRegStr HKLM "${ENTRY}" "DisplayName" "${NAME_EN}"
    WriteRegStr HKLM "${ENTRY}" "UninstallString" '"${UNINSTALLER_DIR}\uninstaller.exe"'
!ifndef NO_INSTALL_LOCATION
    WriteRegStr HKLM "${ENTRY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${ENTRY}" "DisplayIcon" '"$INSTDIR\${CLIENT_NAME}",0'
!endif
!ifdef VERSION
    WriteRegStr HKLM "${ENTRY}" "DisplayVersion" "${VERSION}"
!endif
!ifdef COMPANY
    WriteRegStr HKLM "${ENTRY}" "Publisher" "${COMPANY}"
!endif
    WriteRegDWORD HKLM "${ENTRY}" "NoModify" 1
    WriteRegDWORD HKLM "${ENTRY}" "NoRepair" 1

    ; The shortcuts under both names, on the all-users desktop and start menu.
    CreateShortcut "$DESKTOP\${NAME_EN}.lnk" "$INSTDIR\${CLIENT_NAME}"
    CreateShortcut "$DESKTOP\${NAME_CH}.lnk" "$INSTDIR\${CLIENT_NAME}"
    CreateDirectory "$SMPROGRAMS\${NAME_EN}"
    CreateShortcut "$SMPROGRAMS\${NAME_EN}\${NAME_EN}.lnk" "$INSTDIR\${CLIENT_NAME}"
    CreateShortcut "$SMPROGRAMS\${NAME_EN}\Uninstall ${NAME_EN}.lnk" "${UNINSTALLER_DIR}\uninstaller.exe"
    CreateDirectory "$SMPROGRAMS\${NAME_CH}"
    CreateShortcut "$SMPROGRAMS\${NAME_CH}\${NAME_CH}.lnk" "$INSTDIR\${CLIENT_NAME}"
    CreateShortcut "$SMPROGRAMS\${NAME_CH}\Uninstall ${NAME_CH}.lnk" "${UNINSTALLER_DIR}\uninstaller.exe"
SectionEnd
