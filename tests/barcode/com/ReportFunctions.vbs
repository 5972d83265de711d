' Calls the six report functions of CRUFLFernlowe.C from the script host, as report scripts
' do: with variables, which the host passes by reference, and with literals and expressions,
' which it passes by value. The expected results come from the Linux encoder library.
' usage: cscript ReportFunctions.vbs EXPECTED
' The host ends with exit code 0 even when a script fails, so this script prints a summary
' line and ends with its own code; a run without the summary line has failed.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

' Variables: the host passes yourdata, the number and delim by reference.
Function WithVariables(c, fn, yourdata, number, delim)
    Select Case fn
        Case "Code39": WithVariables = c.ode39(yourdata, number, delim)
        Case "CodeITF": WithVariables = c.odeITF(yourdata, number)
        Case "Code128": WithVariables = c.ode128(yourdata, number)
        Case "CodeUPCA": WithVariables = c.odeUPCA(yourdata)
        Case "CodeEAN13": WithVariables = c.odeEAN13(yourdata)
        Case "CodeEAN8": WithVariables = c.odeEAN8(yourdata)
    End Select
End Function

' Expressions in parentheses: the host passes their values.
Function WithValues(c, fn, yourdata, number, delim)
    Select Case fn
        Case "Code39": WithValues = c.ode39((yourdata), (number), (delim))
        Case "CodeITF": WithValues = c.odeITF((yourdata), (number))
        Case "Code128": WithValues = c.ode128((yourdata), (number))
        Case "CodeUPCA": WithValues = c.odeUPCA((yourdata))
        Case "CodeEAN13": WithValues = c.odeEAN13((yourdata))
        Case "CodeEAN8": WithValues = c.odeEAN8((yourdata))
    End Select
End Function

' One call with variables or with values, its arguments passed on as they came; Empty when it
' raised an error, whose number and description go to errorNumber and errorText.
Function Caught(c, byValue, fn, yourdata, number, delim, errorNumber, errorText)
    Caught = Empty
    On Error Resume Next
    If byValue Then
        Caught = WithValues(c, fn, yourdata, number, delim)
    Else
        Caught = WithVariables(c, fn, yourdata, number, delim)
    End If
    errorNumber = Err.Number
    errorText = Err.Description
    Err.Clear
    On Error GoTo 0
End Function

' Fields of an expected line: function, number, delim, data, error number, error text,
' result, data afterwards.
Function ReadExpected(path)
    Dim fso, stream, lines
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set stream = fso.OpenTextFile(path, 1, False, -1)
    Set lines = CreateObject("Scripting.Dictionary")
    Do Until stream.AtEndOfStream
        lines.Add lines.Count, Split(stream.ReadLine, vbTab)
    Loop
    stream.Close
    ReadExpected = lines.Items
End Function

Function Find(expected, fn, number, delim, data)
    Dim row
    For Each row In expected
        If row(0) = fn And row(1) = number And row(2) = delim And row(3) = data Then
            Find = row
            Exit Function
        End If
    Next
    Check False, "no expected line for " & fn & " " & data
    Find = Array(fn, number, delim, data, "0", "", "(none)", "(none)")
End Function

Sub CheckRow(c, row)
    Dim name, yourdata, number, delim, result, errorNumber, errorText
    name = row(0) & "(" & row(1) & ", """ & row(2) & """, """ & row(3) & """)"
    number = 0
    If row(1) <> "" Then number = CInt(row(1))
    delim = row(2)
    yourdata = row(3)
    result = Caught(c, False, row(0), yourdata, number, delim, errorNumber, errorText)
    If row(4) <> "0" Then
        Check errorNumber = CLng(row(4)), name & " with variables: Err.Number " & errorNumber
        Check errorText = row(5), name & " with variables: Err.Description " & errorText
        Check IsEmpty(result), name & " with variables: no string"
    Else
        Check errorNumber = 0, name & " with variables: error " & errorNumber & " " & errorText
        Check result = row(6), name & " with variables: result " & result
        Check yourdata = row(7), name & " with variables: yourdata afterwards " & yourdata
        Check TypeName(yourdata) = "String", name & ": yourdata stays a string"
        Check TypeName(number) = "Integer", name & ": the number stays an Integer"
        Check delim = row(2), name & ": delim unchanged"
    End If

    yourdata = row(3)
    result = Caught(c, True, row(0), yourdata, number, delim, errorNumber, errorText)
    If row(4) <> "0" Then
        Check errorNumber = CLng(row(4)), name & " with values: Err.Number " & errorNumber
        Check errorText = row(5), name & " with values: Err.Description " & errorText
    Else
        Check errorNumber = 0, name & " with values: error " & errorNumber & " " & errorText
        Check result = row(6), name & " with values: result " & result
        Check yourdata = row(3), name & " with values: the variable is not touched"
    End If
End Sub

' Literals written into the call, as a report formula has them.
Sub CheckLiterals(c, expected)
    Dim row, errorNumber, errorText
    row = Find(expected, "Code39", "1", "*", "abc")
    Check c.ode39("abc", 1, "*") = row(6), "ode39 with literals"
    row = Find(expected, "CodeITF", "1", "", "1234")
    Check c.odeITF("1234", 1) = row(6), "odeITF with literals"
    row = Find(expected, "Code128", "1", "", "ABC")
    Check c.ode128("ABC", 1) = row(6), "ode128 with literals"
    row = Find(expected, "CodeUPCA", "", "", "03600029145")
    Check c.odeUPCA("03600029145") = row(6), "odeUPCA with a literal"
    row = Find(expected, "CodeEAN13", "", "", "400638133393")
    Check c.odeEAN13("400638133393") = row(6), "odeEAN13 with a literal"
    row = Find(expected, "CodeEAN8", "", "", "9638507")
    Check c.odeEAN8("9638507") = row(6), "odeEAN8 with a literal"
    row = Find(expected, "Code128", "7", "", "")
    On Error Resume Next
    c.ode128 "", 7
    errorNumber = Err.Number
    errorText = Err.Description
    Err.Clear
    On Error GoTo 0
    Check errorNumber = 5, "ode128 of empty text with format 7: Err.Number " & errorNumber
    Check errorText = row(5), "ode128 of empty text with format 7: " & errorText
End Sub

Dim c, expected, row
Set c = CreateObject("CRUFLFernlowe.C")
expected = ReadExpected(WScript.Arguments(0))
Check UBound(expected) >= 0, "expected results read"
For Each row In expected
    CheckRow c, row
Next
CheckLiterals c, expected
WScript.Echo passed & " passed, " & failed & " failed"
If failed = 0 Then
    WScript.Quit 0
End If
WScript.Quit 1
