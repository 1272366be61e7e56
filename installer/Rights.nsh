; Write access for the Users group (S-1-5-32-545) to what the program and its libraries write
; beside themselves, so that a standard user can scan without the virtual store. An access
; entry is added to the object's own list, which keeps what it inherits.

!define RIGHTS_READ_WRITE 0x12019F ; FILE_GENERIC_READ | FILE_GENERIC_WRITE
!define RIGHTS_FOLDER 0x1201BF ; read, write and traverse the folder; not delete it
!define RIGHTS_MODIFY 0x1301BF ; read, write, execute and delete
!define NO_INHERITANCE 0
!define CHILDREN_ONLY 0xB ; OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | INHERIT_ONLY_ACE

!macro GrantUsers path rights inheritance
  Push "${path}"
  Push ${rights}
  Push ${inheritance}
  Call GrantUsers
!macroend

; A folder whose contents the users own: they change and delete what is in it, but cannot
; remove the folder itself (the program would need to make it anew in the program folder).
!macro GrantUsersFolder path
  !insertmacro GrantUsers "${path}" ${RIGHTS_FOLDER} ${NO_INHERITANCE}
  !insertmacro GrantUsers "${path}" ${RIGHTS_MODIFY} ${CHILDREN_ONLY}
!macroend

; Stack: path, rights, inheritance (pushed in this order). Reports a failure in the log and,
; unless silent, in a message box; the installation goes on.
Function GrantUsers
  Exch $R2 ; inheritance
  Exch
  Exch $R1 ; rights
  Exch 2
  Exch $R0 ; path
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  Push $R8
  StrCpy $R3 0 ; the Users group's SID
  StrCpy $R4 0 ; the object's access list (belongs to its descriptor)
  StrCpy $R5 0 ; the object's security descriptor
  StrCpy $R7 0 ; the explicit access record
  StrCpy $R8 0 ; the new access list
  System::Call 'advapi32::ConvertStringSidToSidW(w "S-1-5-32-545", *p .R3) i .R6'
  ${If} $R6 == 0
    StrCpy $R6 "SID"
    Goto done
  ${EndIf}
  ; SE_FILE_OBJECT 1, DACL_SECURITY_INFORMATION 4
  System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i 1, i 4, p 0, p 0, *p .R4, p 0, *p .R5) i .R6'
  StrCmp $R6 0 0 done
  ; EXPLICIT_ACCESS_W: rights, GRANT_ACCESS, inheritance, TRUSTEE_W (no multiple trustee,
  ; TRUSTEE_IS_SID, TRUSTEE_IS_WELL_KNOWN_GROUP, the SID)
  System::Call '*(i R1, i 1, i R2, p 0, i 0, i 0, i 5, p R3) p .R7'
  System::Call 'advapi32::SetEntriesInAclW(i 1, p R7, p R4, *p .R8) i .R6'
  StrCmp $R6 0 0 done
  System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 4, p 0, p 0, p R8, p 0) i .R6'
done:
  ${If} $R6 != 0
    StrCpy $0 $R0
    DetailPrint "$(RIGHTS_FAILED) ($R6)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(RIGHTS_FAILED)" /SD IDOK
  ${EndIf}
  ${If} $R8 != 0
    System::Call 'kernel32::LocalFree(p R8)'
  ${EndIf}
  ${If} $R7 != 0
    System::Free $R7
  ${EndIf}
  ${If} $R5 != 0
    System::Call 'kernel32::LocalFree(p R5)'
  ${EndIf}
  ${If} $R3 != 0
    System::Call 'kernel32::LocalFree(p R3)'
  ${EndIf}
  Pop $R8
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R0
  Pop $R2
  Pop $R1
FunctionEnd
