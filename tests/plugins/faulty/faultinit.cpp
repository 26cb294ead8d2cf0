// A library whose start-up code writes through a null pointer when it is attached to a process.
asm(".text\n"
    ".globl _DllMain@12\n"
    ".globl _InitFaultSite\n"
    "_DllMain@12:\n"
    "  cmpl $1, 8(%esp)\n"  // DLL_PROCESS_ATTACH
    "  jne 1f\n"
    "_InitFaultSite:\n"
    "  movb $1, 0\n"
    "1:\n"
    "  movl $1, %eax\n"
    "  ret $12\n");
