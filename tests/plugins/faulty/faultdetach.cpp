// A library whose detach code writes through a null pointer when it is released.
asm(".text\n"
    ".globl _DllMain@12\n"
    "_DllMain@12:\n"
    "  cmpl $0, 8(%esp)\n"  // DLL_PROCESS_DETACH
    "  jne 1f\n"
    "  movb $1, 0\n"
    "1:\n"
    "  movl $1, %eax\n"
    "  ret $12\n");
