' A small script.
Option Explicit
Dim name, count
name = "world"
count = 10
Function Greet(who)
    Greet = "Hello " & who & CStr(count)
End Function
MsgBox Greet(name)
