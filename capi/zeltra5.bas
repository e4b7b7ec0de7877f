Attribute VB_Name = "zeltra5"
' zeltra5 - thermophysical properties of ammonia as Excel worksheet functions, from zeltra5.dll
' (64-bit Excel on Windows).
'
' Install: put zeltra5.dll in the folder of the workbook (or of the add-in, .xlam) that holds
' this module; in the VBA editor (Alt+F11) File > Import File... > zeltra5.bas; save the workbook
' as .xlsm (or .xlam). Before its first call the module loads zeltra5.dll from that folder by its
' full path, so that no other copy on the system's search path is used.
'
' Worksheet functions, in the Windows program's units (bar, degC, kJ/kg, kJ/(kg degC), every
' other quantity SI) unless the options say units=si:
'   =NH3(property; pair; first; [second]; [options])      one property of a state
'        =NH3("h"; "p-t"; 10; 25) -> 1626.84... (kJ/kg at 10 bar and 25 degC)
'   =NH3_SAT(property; side; pair; first; [second]; [options])
'        the saturated "liquid" or "vapour" at the pressure of that state
'   =NH3_REASON(...), =NH3_SAT_REASON(...)   with the same arguments as NH3 and NH3_SAT: why
'        the cell shows an error; "" when it shows a value
'   =NH3_PHASE(pair; first; [second]; [options])   the phase ("Superheated vapour")
'   =NH3_UNIT(property; [options])                 the unit of a property ("kJ/kg")
'   =NH3_VERSION()                                 the version of zeltra5.dll
'   =NH3_CYCLE(figure; t0; tc; [superheat]; [subcooling]; [efficiency]; [capacity]; [options])
'        a figure of the single-stage refrigeration cycle (degC, K, kW): cop,
'        refrigerating_effect, compressor_work, heat_rejected, discharge_temperature,
'        isentropic_discharge_temperature, evaporating_pressure, condensing_pressure,
'        pressure_ratio, volumetric_capacity, mass_flow, displacement, compressor_power,
'        condenser_duty; =NH3_CYCLE("cop"; -10; 35; 5; 0; 0.75) -> 3.60...
'   =NH3_CYCLE_REASON(...)   with the same arguments: why NH3_CYCLE shows an error
'   =NH3_TABLE(kind; fixed; values; [options])   a property table as an array (select the
'        range, type the formula, Ctrl+Shift+Enter): one row per state, the row's kind
'        (point, liquid, vapour) and then the 19 fields in the order x, p, t, h, rho, v, u, s,
'        cp, cv, kappa, lambda, nu, eta, pr, w, sigma, beta, r (#NUM! across a row outside the
'        domain, #N/A where the row's phase has no value); kind saturation-t, saturation-p,
'        isotherm, isobar or isochore; fixed the value held (ignored for the saturation
'        tables); values "FROM:TO:STEP", "FROM:TO:*FACTOR" or "a,b,c":
'        =NH3_TABLE("saturation-t"; 0; "-40:40:10")
' property: a symbol x, p, t, h, rho, v, u, s, cp, cv, kappa, lambda, nu, eta, pr, w, sigma,
'   beta, r, or the field's name (relative_enthalpy, pressure, temperature, specific_enthalpy...);
'   NH3 (not NH3_SAT) also the outputs Z, mu_jt, kappa_t, g, a, f, phi, cp0, B, C, dpsat_dt,
'   dp_dt, dp_drho, pip (compressibility_factor, joule_thomson_coefficient,
'   isothermal_compressibility, specific_gibbs_energy, specific_helmholtz_energy, fugacity,
'   fugacity_coefficient, ideal_gas_isobaric_heat_capacity, second_virial_coefficient,
'   third_virial_coefficient, saturation_pressure_slope, pressure_temperature_derivative,
'   pressure_density_derivative, phase_identification_parameter):
'   =NH3("mu_jt"; "p-t"; 10; 25) -> 2.61... (K/bar)
' pair: p-x, ps-liquid, ps-vapour, ts-liquid, ts-vapour, p-t, p-h, p-u, p-s, p-rho, t-rho,
'   t-x, t-h, t-s, t-u, rho-h, rho-s, rho-u, h-s; the ps-* and ts-* pairs take one value
' options: "key=value" items separated by ";": reference=default|iir|ashrae|nbp, superheat=0|1,
'   lang=en|ru (the language of the texts), units=display|si|si-celsius (si: Pa, K, J/kg;
'   si-celsius: Pa, degC, J/kg), then optionally a unit per quantity: p=Pa|kPa|MPa|bar|psi,
'   t=K|degC|degF, h=J/kg|kJ/kg, s=J/(kg*K)|kJ/(kg*K), e.g. "units=display,p=kPa" (name the
'   system first: items alone start from si), model=tr1993|gao2023 (the equation of state:
'   tr1993 the default, gao2023 the reference equation of 2023), e.g. "model=gao2023"
' Errors: #NUM! the state is outside the domain; #N/A the state has no value of this property
'   (cp of a two-phase mixture, the latent heat off the saturation line); #VALUE! a bad argument,
'   or no usable zeltra5.dll. NH3_REASON tells which.
Option Explicit

Private Const DLL_NAME As String = "zeltra5.dll"
Private Const CP_UTF8 As Long = 65001
Private Const ERROR_MOD_NOT_FOUND As Long = 126
Private Const STATUS_VALID As Long = 0
Private Const STATUS_OUTSIDE_DOMAIN As Long = 1
Private Const STATUS_BAD_ARGUMENT As Long = 2
' A problem of this module's own, explained in `problem`: the library or an argument.
Private Const STATUS_PROBLEM As Long = -1
Private Const STATUS_UNDEFINED As Long = -2

#If Win64 Then
' zeltra5.h, as VBA passes its arguments: String ByVal is a pointer to an ANSI copy, Double ByVal
' a double, ByRef a pointer to the variable (or to the first element of an array), Long a 32-bit
' int, LongPtr a pointer.
Private Declare PtrSafe Function zeltra5_version Lib "zeltra5.dll" () As LongPtr
Private Declare PtrSafe Function zeltra5_calculate Lib "zeltra5.dll" (ByVal pair As String, _
    ByVal first As Double, ByVal second As Double, ByVal options As String, _
    ByRef values As Double, ByVal count As Long, ByRef phase As Long, _
    ByRef phaseDetail As Long) As Long
Private Declare PtrSafe Function zeltra5_saturated Lib "zeltra5.dll" (ByVal pair As String, _
    ByVal first As Double, ByVal second As Double, ByVal options As String, _
    ByVal side As Long, ByRef values As Double, ByVal count As Long, ByRef phase As Long, _
    ByRef phaseDetail As Long) As Long
Private Declare PtrSafe Function zeltra5_explain Lib "zeltra5.dll" (ByVal pair As String, _
    ByVal first As Double, ByVal second As Double, ByVal options As String, _
    ByRef buffer As Byte, ByVal size As Long) As Long
Private Declare PtrSafe Function zeltra5_explain_saturated Lib "zeltra5.dll" ( _
    ByVal pair As String, ByVal first As Double, ByVal second As Double, _
    ByVal options As String, ByVal side As Long, ByRef buffer As Byte, _
    ByVal size As Long) As Long
Private Declare PtrSafe Function zeltra5_field_count Lib "zeltra5.dll" () As Long
Private Declare PtrSafe Function zeltra5_field_index Lib "zeltra5.dll" ( _
    ByVal fieldName As String) As Long
Private Declare PtrSafe Function zeltra5_field_unit Lib "zeltra5.dll" (ByVal field As Long, _
    ByVal options As String) As LongPtr
Private Declare PtrSafe Function zeltra5_field_defined Lib "zeltra5.dll" ( _
    ByVal phase As Long, ByVal phaseDetail As Long, ByVal field As Long) As Long
Private Declare PtrSafe Function zeltra5_field_index_v2 Lib "zeltra5.dll" ( _
    ByVal fieldName As String) As Long
Private Declare PtrSafe Function zeltra5_field_unit_v2 Lib "zeltra5.dll" ( _
    ByVal field As Long, ByVal options As String) As LongPtr
Private Declare PtrSafe Function zeltra5_field_defined_v2 Lib "zeltra5.dll" ( _
    ByVal phase As Long, ByVal phaseDetail As Long, ByVal field As Long) As Long
Private Declare PtrSafe Function zeltra5_calculate_fields Lib "zeltra5.dll" ( _
    ByVal pair As String, ByVal first As Double, ByVal second As Double, _
    ByVal options As String, ByVal fields As String, ByRef values As Double, _
    ByVal count As Long, ByRef phase As Long, ByRef phaseDetail As Long) As Long
Private Declare PtrSafe Function zeltra5_phase_name Lib "zeltra5.dll" (ByVal phase As Long, _
    ByVal phaseDetail As Long, ByVal options As String) As LongPtr
Private Declare PtrSafe Function zeltra5_pair_value_count Lib "zeltra5.dll" ( _
    ByVal pair As String) As Long

Private Declare PtrSafe Function zeltra5_cycle Lib "zeltra5.dll" ( _
    ByVal evaporating As Double, ByVal condensing As Double, ByVal superheat As Double, _
    ByVal subcooling As Double, ByVal efficiency As Double, ByVal capacity As Double, _
    ByVal options As String, ByRef figures As Double, ByVal figureCount As Long, _
    ByRef states As Double, ByVal stateCount As Long) As Long
Private Declare PtrSafe Function zeltra5_explain_cycle Lib "zeltra5.dll" ( _
    ByVal evaporating As Double, ByVal condensing As Double, ByVal superheat As Double, _
    ByVal subcooling As Double, ByVal efficiency As Double, ByVal capacity As Double, _
    ByVal options As String, ByRef buffer As Byte, ByVal size As Long) As Long
Private Declare PtrSafe Function zeltra5_cycle_figure_count Lib "zeltra5.dll" () As Long
Private Declare PtrSafe Function zeltra5_cycle_figure_name Lib "zeltra5.dll" ( _
    ByVal figure As Long) As LongPtr
Private Declare PtrSafe Function zeltra5_table_values Lib "zeltra5.dll" ( _
    ByVal kind As String, ByVal fixed As Double, ByVal values As String, _
    ByVal options As String, ByRef out As Double, ByVal capacity As Long, _
    ByRef rows As Long) As Long

Private Declare PtrSafe Function LoadLibraryW Lib "kernel32" (ByVal path As LongPtr) As LongPtr
Private Declare PtrSafe Function lstrlenA Lib "kernel32" (ByVal utf8 As LongPtr) As Long
Private Declare PtrSafe Function MultiByteToWideChar Lib "kernel32" (ByVal codePage As Long, _
    ByVal flags As Long, ByVal utf8 As LongPtr, ByVal length As Long, ByVal wide As LongPtr, _
    ByVal wideLength As Long) As Long

' Whether zeltra5.dll is in place, and why not.
Private libraryChecked As Boolean
Private libraryProblem As String
#End If

' ---- Worksheet functions ----

Public Function NH3(ByVal quantity As String, ByVal pair As String, ByVal first As Variant, _
    Optional ByVal second As Variant, Optional ByVal options As String = "") As Variant
    Dim value As Double, problem As String, phaseName As String
    NH3 = CellValue(Compute(quantity, 0, pair, first, second, options, value, problem, _
        phaseName), value)
End Function

Public Function NH3_SAT(ByVal quantity As String, ByVal side As String, ByVal pair As String, _
    ByVal first As Variant, Optional ByVal second As Variant, _
    Optional ByVal options As String = "") As Variant
    Dim value As Double, problem As String, phaseName As String
    NH3_SAT = CellValue(Compute(quantity, SideNumber(side), pair, first, second, options, _
        value, problem, phaseName), value)
End Function

Public Function NH3_REASON(ByVal quantity As String, ByVal pair As String, _
    ByVal first As Variant, Optional ByVal second As Variant, _
    Optional ByVal options As String = "") As String
    Dim value As Double, problem As String, phaseName As String
    Compute quantity, 0, pair, first, second, options, value, problem, phaseName
    NH3_REASON = problem
End Function

Public Function NH3_SAT_REASON(ByVal quantity As String, ByVal side As String, _
    ByVal pair As String, ByVal first As Variant, Optional ByVal second As Variant, _
    Optional ByVal options As String = "") As String
    Dim value As Double, problem As String, phaseName As String
    Compute quantity, SideNumber(side), pair, first, second, options, value, problem, phaseName
    NH3_SAT_REASON = problem
End Function

Public Function NH3_PHASE(ByVal pair As String, ByVal first As Variant, _
    Optional ByVal second As Variant, Optional ByVal options As String = "") As Variant
    Dim value As Double, problem As String, phaseName As String, status As Long
    ' The pressure is defined for every valid state.
    status = Compute("p", 0, pair, first, second, options, value, problem, phaseName)
    If status = STATUS_VALID Then
        NH3_PHASE = phaseName
    Else
        NH3_PHASE = CellValue(status, value)
    End If
End Function

Public Function NH3_UNIT(ByVal quantity As String, Optional ByVal options As String = "") _
    As Variant
    NH3_UNIT = CVErr(xlErrValue)
#If Win64 Then
    Dim field As Long, unit As LongPtr
    On Error GoTo failed
    If Not LibraryReady() Then Exit Function
    field = zeltra5_field_index_v2(quantity)
    If field < 0 Then Exit Function
    unit = zeltra5_field_unit_v2(field, WithUnits(options))
    If unit <> 0 Then NH3_UNIT = FromUtf8(unit)
failed:
#End If
End Function

Public Function NH3_VERSION() As String
#If Win64 Then
    On Error GoTo failed
    If Not LibraryReady() Then
        NH3_VERSION = libraryProblem
        Exit Function
    End If
    NH3_VERSION = FromUtf8(zeltra5_version())
    Exit Function
failed:
    NH3_VERSION = LibraryError(Err.Number, Err.Description)
#Else
    NH3_VERSION = Needs64Bit()
#End If
End Function

Public Function NH3_CYCLE(ByVal figure As String, ByVal t0 As Variant, ByVal tc As Variant, _
    Optional ByVal superheat As Variant, Optional ByVal subcooling As Variant, _
    Optional ByVal efficiency As Variant, Optional ByVal capacity As Variant, _
    Optional ByVal options As String = "") As Variant
    Dim value As Double, problem As String
    NH3_CYCLE = CellValue(CycleFigure(figure, t0, tc, superheat, subcooling, efficiency, _
        capacity, options, value, problem), value)
End Function

Public Function NH3_CYCLE_REASON(ByVal figure As String, ByVal t0 As Variant, _
    ByVal tc As Variant, Optional ByVal superheat As Variant, _
    Optional ByVal subcooling As Variant, Optional ByVal efficiency As Variant, _
    Optional ByVal capacity As Variant, Optional ByVal options As String = "") As String
    Dim value As Double, problem As String
    CycleFigure figure, t0, tc, superheat, subcooling, efficiency, capacity, options, value, _
        problem
    NH3_CYCLE_REASON = problem
End Function

Public Function NH3_TABLE(ByVal kind As String, ByVal fixed As Variant, _
    ByVal values As String, Optional ByVal options As String = "") As Variant
    NH3_TABLE = CVErr(xlErrValue)
#If Win64 Then
    ' zeltra5.h's ZELTRA5_TABLE_COLUMNS and ZELTRA5_TABLE_FIELD_COLUMN.
    Const COLUMNS As Long = 24
    Const FIELD_COLUMN As Long = 5
    Dim held As Double, opts As String, rows As Long, status As Long, dummy As Double
    Dim table() As Double, cells() As Variant, r As Long, k As Long
    On Error GoTo failed
    If Not LibraryReady() Then Exit Function
    If Not ReadNumber(fixed, held) Then held = 0
    opts = WithUnits(options)
    ' First the number of rows (no room given: nothing is written), then the rows.
    status = zeltra5_table_values(kind, held, values, opts, dummy, 0, rows)
    If rows <= 0 Then Exit Function
    ReDim table(0 To rows * COLUMNS - 1)
    status = zeltra5_table_values(kind, held, values, opts, table(0), rows * COLUMNS, rows)
    If status = STATUS_BAD_ARGUMENT Then Exit Function
    ReDim cells(1 To rows, 1 To 1 + zeltra5_field_count())
    For r = 0 To rows - 1
        Select Case table(r * COLUMNS)
            Case 1
                cells(r + 1, 1) = "liquid"
            Case 2
                cells(r + 1, 1) = "vapour"
            Case Else
                cells(r + 1, 1) = "point"
        End Select
        For k = 0 To zeltra5_field_count() - 1
            If table(r * COLUMNS + 1) <> STATUS_VALID Then
                cells(r + 1, 2 + k) = CVErr(xlErrNum)
            ElseIf zeltra5_field_defined(CLng(table(r * COLUMNS + 3)), _
                CLng(table(r * COLUMNS + 4)), k) = 0 Then
                ' No value for the row's phase (NaN in the table, never read here).
                cells(r + 1, 2 + k) = CVErr(xlErrNA)
            Else
                cells(r + 1, 2 + k) = table(r * COLUMNS + FIELD_COLUMN + k)
            End If
        Next k
    Next r
    NH3_TABLE = cells
failed:
#End If
End Function

' ---- The calculation behind them ----

' One figure of the cycle into `value`; answers the status, with the reason in `problem` when it
' is not valid.
Private Function CycleFigure(ByVal figure As String, ByVal t0 As Variant, ByVal tc As Variant, _
    ByVal superheat As Variant, ByVal subcooling As Variant, ByVal efficiency As Variant, _
    ByVal capacity As Variant, ByVal options As String, ByRef value As Double, _
    ByRef problem As String) As Long
    CycleFigure = STATUS_PROBLEM
    problem = ""
#If Win64 Then
    Dim inputs(0 To 5) As Double, given As Variant, i As Long, index As Long, opts As String
    Dim figures() As Double, states(0 To 75) As Double, status As Long
    Dim buffer() As Byte, size As Long, length As Long
    On Error GoTo failed
    If Not LibraryReady() Then
        problem = libraryProblem
        Exit Function
    End If
    index = -1
    For i = 0 To zeltra5_cycle_figure_count() - 1
        If FromUtf8(zeltra5_cycle_figure_name(i)) = LCase$(Trim$(figure)) Then index = i
    Next i
    If index < 0 Then
        problem = "unknown figure """ & figure & """ (cop, refrigerating_effect, " _
            & "compressor_work, heat_rejected, discharge_temperature, ...)"
        Exit Function
    End If
    ' Superheat and subcooling 0, efficiency 1 and no capacity unless given.
    inputs(4) = 1
    given = Array(t0, tc, superheat, subcooling, efficiency, capacity)
    For i = 0 To 5
        If Not IsMissing(given(i)) Then
            If Not ReadNumber(given(i), inputs(i)) Then
                problem = "argument " & (i + 2) & " is not a number"
                Exit Function
            End If
        ElseIf i < 2 Then
            problem = "the cycle needs its evaporating and condensing temperatures"
            Exit Function
        End If
    Next i
    opts = WithUnits(options)
    ReDim figures(0 To zeltra5_cycle_figure_count() - 1)
    status = zeltra5_cycle(inputs(0), inputs(1), inputs(2), inputs(3), inputs(4), inputs(5), _
        opts, figures(0), zeltra5_cycle_figure_count(), states(0), 76)
    CycleFigure = status
    If status <> STATUS_VALID Then
        size = 256
        Do
            ReDim buffer(0 To size - 1)
            length = zeltra5_explain_cycle(inputs(0), inputs(1), inputs(2), inputs(3), _
                inputs(4), inputs(5), opts, buffer(0), size)
            If length < size Then Exit Do
            size = length + 1
        Loop
        If length > 0 Then problem = FromUtf8(VarPtr(buffer(0)))
        Exit Function
    End If
    ' From the mass flow (figure 10) on, the figures need a capacity: NaN without one, never
    ' read here.
    If index >= 10 And inputs(5) = 0 Then
        CycleFigure = STATUS_UNDEFINED
        problem = figure & " needs a refrigerating capacity"
    Else
        value = figures(index)
    End If
    Exit Function
failed:
    CycleFigure = STATUS_PROBLEM
    problem = LibraryError(Err.Number, Err.Description)
#Else
    problem = Needs64Bit()
#End If
End Function

' One property of the state (side 0) or of the saturated liquid (1) or vapour (2) beside it, into
' `value`; answers the status, with the reason in `problem` when it is not valid and the phase's
' name in `phaseName` when it is.
Private Function Compute(ByVal quantity As String, ByVal side As Long, ByVal pair As String, _
    ByVal first As Variant, ByVal second As Variant, ByVal options As String, _
    ByRef value As Double, ByRef problem As String, ByRef phaseName As String) As Long
    Compute = STATUS_PROBLEM
    problem = ""
    phaseName = ""
#If Win64 Then
    Dim a As Double, b As Double, field As Long, opts As String, status As Long
    Dim values() As Double, phase As Long, phaseDetail As Long
    On Error GoTo failed
    If Not LibraryReady() Then
        problem = libraryProblem
        Exit Function
    End If
    field = zeltra5_field_index_v2(quantity)
    If field < 0 Then
        problem = "unknown property """ & quantity & """ (a symbol such as h, p, t, rho, s, cp" _
            & " or a field name such as specific_enthalpy)"
        Exit Function
    End If
    If side < 0 Then
        problem = "the side must be ""liquid"" or ""vapour"""
        Exit Function
    End If
    If Not ReadNumber(first, a) Then
        problem = "the first value is not a number"
        Exit Function
    End If
    If zeltra5_pair_value_count(pair) = 2 Then
        If IsMissing(second) Then
            problem = "the pair " & pair & " takes two values"
            Exit Function
        End If
        If Not ReadNumber(second, b) Then
            problem = "the second value is not a number"
            Exit Function
        End If
    End If
    opts = WithUnits(options)
    ReDim values(0 To zeltra5_field_count() - 1)
    If side = 0 Then
        ' The one property asked for, into values(0): the outputs after the nineteen are computed
        ' only when asked for.
        status = zeltra5_calculate_fields(pair, a, b, opts, quantity, values(0), 1, phase, _
            phaseDetail)
    ElseIf field >= zeltra5_field_count() Then
        problem = quantity & " is given for the state itself only (NH3), not for its saturated" _
            & " liquid or vapour"
        Exit Function
    Else
        status = zeltra5_saturated(pair, a, b, opts, side, values(0), zeltra5_field_count(), _
            phase, phaseDetail)
    End If
    Compute = status
    If status <> STATUS_VALID Then
        problem = Explanation(side, pair, a, b, opts)
        Exit Function
    End If
    phaseName = FromUtf8(zeltra5_phase_name(phase, phaseDetail, opts))
    If zeltra5_field_defined_v2(phase, phaseDetail, field) = 0 Then
        Compute = STATUS_UNDEFINED
        problem = quantity & " has no value for a " _
            & LCase$(FromUtf8(zeltra5_phase_name(phase, phaseDetail, "lang=en")))
    ElseIf side = 0 Then
        value = values(0)
    Else
        value = values(field)
    End If
    Exit Function
failed:
    Compute = STATUS_PROBLEM
    problem = LibraryError(Err.Number, Err.Description)
#Else
    problem = Needs64Bit()
#End If
End Function

' A status as a cell shows it.
Private Function CellValue(ByVal status As Long, ByVal value As Double) As Variant
    Select Case status
        Case STATUS_VALID
            CellValue = value
        Case STATUS_OUTSIDE_DOMAIN
            CellValue = CVErr(xlErrNum)
        Case STATUS_UNDEFINED
            CellValue = CVErr(xlErrNA)
        Case Else
            CellValue = CVErr(xlErrValue)
    End Select
End Function

Private Function SideNumber(ByVal side As String) As Long
    Select Case LCase$(Trim$(side))
        Case "liquid"
            SideNumber = 1
        Case "vapour", "vapor"
            SideNumber = 2
        Case Else
            SideNumber = -1
    End Select
End Function

' The worksheet's units unless the options name their own.
Private Function WithUnits(ByVal options As String) As String
    If InStr(1, options, "units", vbTextCompare) > 0 Then
        WithUnits = options
    ElseIf Len(Trim$(options)) = 0 Then
        WithUnits = "units=display"
    Else
        WithUnits = "units=display;" & options
    End If
End Function

' A number, or a single cell holding one; an empty cell, a text, a date, a truth value or an
' error is not a number (an empty cell would otherwise pass as 0).
Private Function ReadNumber(ByVal argument As Variant, ByRef number As Double) As Boolean
    If IsObject(argument) Then
        If TypeName(argument) <> "Range" Then Exit Function
        If argument.Cells.Count <> 1 Then Exit Function
        argument = argument.Value
    End If
    Select Case VarType(argument)
        Case vbDouble, vbSingle, vbInteger, vbLong, vbCurrency, vbDecimal, vbByte
            number = CDbl(argument)
            ReadNumber = True
    End Select
End Function

#If Win64 Then
' The library's explanation of a refusal, as long as it is.
Private Function Explanation(ByVal side As Long, ByVal pair As String, ByVal a As Double, _
    ByVal b As Double, ByVal opts As String) As String
    Dim buffer() As Byte, size As Long, length As Long
    size = 256
    Do
        ReDim buffer(0 To size - 1)
        If side = 0 Then
            length = zeltra5_explain(pair, a, b, opts, buffer(0), size)
        Else
            length = zeltra5_explain_saturated(pair, a, b, opts, side, buffer(0), size)
        End If
        If length < size Then Exit Do
        size = length + 1
    Loop
    If length > 0 Then Explanation = FromUtf8(VarPtr(buffer(0)))
End Function

' Loads zeltra5.dll from the folder of the workbook or add-in holding this module, once: every
' Declare above then finds the loaded library by its name. Without one there (an unsaved
' workbook, a folder synchronised as a web address), Windows' search path applies.
Private Function LibraryReady() As Boolean
    Dim folder As String, path As String, errorCode As Long
    If Not libraryChecked Then
        libraryChecked = True
        folder = ThisWorkbook.Path
        If Len(folder) > 0 And InStr(1, folder, "://") = 0 Then
            path = folder & "\" & DLL_NAME
            If LoadLibraryW(StrPtr(path)) = 0 Then
                errorCode = Err.LastDllError
                If errorCode <> ERROR_MOD_NOT_FOUND Then
                    libraryProblem = path & " cannot be loaded (Windows error " & errorCode _
                        & "): it must be the 64-bit zeltra5.dll of the same release as zeltra5.bas"
                End If
            End If
        End If
    End If
    LibraryReady = Len(libraryProblem) = 0
End Function

' A UTF-8 text of the library as a VBA string.
Private Function FromUtf8(ByVal utf8 As LongPtr) As String
    Dim length As Long, wide As Long
    If utf8 = 0 Then Exit Function
    length = lstrlenA(utf8)
    If length = 0 Then Exit Function
    wide = MultiByteToWideChar(CP_UTF8, 0, utf8, length, 0, 0)
    FromUtf8 = String$(wide, vbNullChar)
    MultiByteToWideChar CP_UTF8, 0, utf8, length, StrPtr(FromUtf8), wide
End Function
#End If

' The run-time errors of a Declare'd function whose library is missing or not the right one.
Private Function LibraryError(ByVal number As Long, ByVal description As String) As String
    Select Case number
        Case 53
            LibraryError = DLL_NAME & " not found: put it in the folder of this workbook (" _
                & ThisWorkbook.Path & ")"
        Case 48
            LibraryError = DLL_NAME & " cannot be loaded: it must be the 64-bit zeltra5.dll"
        Case 453
            LibraryError = DLL_NAME & " lacks a function of this module: use the zeltra5.dll" _
                & " of the same release as zeltra5.bas"
        Case Else
            LibraryError = "error " & number & ": " & description
    End Select
End Function

Private Function Needs64Bit() As String
    Needs64Bit = "zeltra5.dll is a 64-bit library: it needs 64-bit Excel (File > Account >" _
        & " About Excel tells which this one is)"
End Function
