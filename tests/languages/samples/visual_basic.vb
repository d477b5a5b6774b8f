' A small module.
Imports System
#If DEBUG Then
#End If
Module Demo
    Function Add(ByVal a As Integer, ByVal b As Integer) As Integer
        Dim text As String = "sum"
        Return a + b + &H1F
    End Function

    Sub Main()
        Console.WriteLine(Add(1, 2))
    End Sub
End Module
