; Adds two numbers and returns.
section .text
global _start
_start:
    mov eax, 5          ; first operand
    add eax, 0x1F
    fld st0
    addps xmm0, xmm1
    db "done", 0
    ret
