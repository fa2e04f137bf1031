; The 64-bit setup program: a 64-bit installer, so that $PROGRAMFILES64 and the registry it
; writes are the 64-bit ones, then what every setup program adds.
Target amd64-unicode
!include "${__FILEDIR__}\plinkaro.nsh"
