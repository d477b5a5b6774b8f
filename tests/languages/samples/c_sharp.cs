// A small C# program.
using System;
#if DEBUG
#warning debug build
#endif
namespace Demo
{
    /// <summary>Adds numbers.</summary>
    public static class Calculator
    {
        public static int Add(int a, int b)
        {
            var path = @"C:\temp";
            char c = 'x';
            return a + b + 42; /* done */
        }
    }
}
