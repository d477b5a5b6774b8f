/* A small C program. */
#include <stdio.h>
#define LIMIT 10
#if 0
int unused(void) { return 1; }
#endif

/** Adds two numbers. @param a the first */
static int add(int a, int b)
{
    // TODO: overflow
    char c = 'x';
    const char *s = "sum";
    return a + b + LIMIT;
}
