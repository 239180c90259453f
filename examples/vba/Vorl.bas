Attribute VB_Name = "Vorl"
' Declarations of the vorl library (vorl.dll) for VBA, 32-bit and 64-bit Office.
' Generated from include/vorl_exports.inc by cmake/VorlVbaModule.cmake. Do not edit:
' change the export table, build, and build the target vorl_vba_module_update.
'
' Import this file into a VBA project (File > Import File). vorl.dll must match the
' bitness of Office (x86 for 32-bit, x64 for 64-bit) and be found by Windows: put it
' in the folder of the document and make that folder current (ChDir), or in a folder
' on PATH.
'
' Conventions: a model handle is a LongPtr (a Long before VBA7), 0 means no model.
' VorlBool results and arguments are a Byte: 0 false, 1 true (any non-zero counts
' as true when passed in). A text buffer is a String of the needed length
' (String$(n, vbNullChar)) passed with its length. An array is passed as its first
' element, ByRef. A callback is passed with AddressOf. Units are SI throughout.
' A failing call returns its null result (0, 0#, False or a 0 handle) and logs a
' report: read it with VorlErrorLogCount, VorlErrorLogCode and VorlErrorLogMessage.

Option Explicit

' The codes of the reports (VorlErrorLogCode, VorlCheckInputs, the error handler).
' VorlCodeText gives the default text of each.
Public Const VORL_OK As Long = 0
Public Const VORL_E_INTERNAL As Long = 1
Public Const VORL_E_NO_MODEL As Long = 2
Public Const VORL_E_NO_RESULTS As Long = 3
Public Const VORL_E_INDEX As Long = 4
Public Const VORL_E_MISSING_DATA As Long = 5
Public Const VORL_E_PER_VALVE As Long = 6
Public Const VORL_E_UNKNOWN_BRANCH As Long = 7
Public Const VORL_E_NOT_WHOLE As Long = 8
Public Const VORL_E_NOT_POSITIVE As Long = 13
Public Const VORL_E_NEGATIVE_ROOT As Long = 14
Public Const VORL_E_UNKNOWN_MATERIAL As Long = 15
Public Const VORL_E_STEP_BOUND As Long = 16
Public Const VORL_E_RECORD_OUT_OF_ORDER As Long = 17
Public Const VORL_E_BREACH_FLUX_NO_ROOT As Long = 201
Public Const VORL_E_BREACH_OUTSIDE_PIPE As Long = 202
Public Const VORL_E_FAR_END_ABOVE_UPSTREAM As Long = 204
Public Const VORL_E_FRICTION_EXCEEDS_PRESSURE As Long = 205
Public Const VORL_E_FAR_END_BELOW_AMBIENT As Long = 206
Public Const VORL_E_INFLOW_CHOKED As Long = 207
Public Const VORL_E_EXIT_NOT_BELOW_BREACH As Long = 208
Public Const VORL_E_CHOKED_SOLVE_NO_ROOT As Long = 209
Public Const VORL_E_RANGE_AMBIENT_TEMPERATURE_LOW As Long = 301
Public Const VORL_E_RANGE_AMBIENT_TEMPERATURE_HIGH As Long = 302
Public Const VORL_E_RANGE_AMBIENT_PRESSURE_LOW As Long = 303
Public Const VORL_E_RANGE_AMBIENT_PRESSURE_HIGH As Long = 304
Public Const VORL_E_RANGE_AMBIENT_HUMIDITY_LOW As Long = 305
Public Const VORL_E_RANGE_AMBIENT_HUMIDITY_HIGH As Long = 306
Public Const VORL_E_RANGE_PIPE_LENGTH_LOW As Long = 307
Public Const VORL_E_RANGE_PIPE_LENGTH_HIGH As Long = 308
Public Const VORL_E_RANGE_TOTAL_INFLOW_LOW As Long = 309
Public Const VORL_E_RANGE_TOTAL_INFLOW_HIGH As Long = 310
Public Const VORL_E_RANGE_UPSTREAM_PRESSURE_LOW As Long = 311
Public Const VORL_E_RANGE_UPSTREAM_PRESSURE_HIGH As Long = 312
Public Const VORL_E_RANGE_BREACH_LOCATION_LOW As Long = 313
Public Const VORL_E_RANGE_BREACH_LOCATION_HIGH As Long = 314
Public Const VORL_E_RANGE_APERTURE_LOW As Long = 315
Public Const VORL_E_RANGE_APERTURE_HIGH As Long = 316
Public Const VORL_E_RANGE_VALVES_ACTIVE As Long = 317
Public Const VORL_E_RANGE_PIPE_DIAMETER_LOW As Long = 318
Public Const VORL_E_RANGE_PIPE_DIAMETER_HIGH As Long = 319
Public Const VORL_E_RANGE_PIPE_ROUGHNESS_LOW As Long = 320
Public Const VORL_E_RANGE_PIPE_ROUGHNESS_HIGH As Long = 321
Public Const VORL_E_RANGE_VALVE_POSITION_LOW As Long = 322
Public Const VORL_E_RANGE_VALVE_POSITION_HIGH As Long = 323
Public Const VORL_E_RANGE_VALVE_CLOSURE_TIME_LOW As Long = 324
Public Const VORL_E_RANGE_VALVE_CLOSURE_TIME_HIGH As Long = 325
Public Const VORL_E_RANGE_TIME_DIVISION_LOW As Long = 326
Public Const VORL_E_RANGE_TIME_DIVISION_HIGH As Long = 327
Public Const VORL_E_RANGE_OUTPUT_STEPS_LOW As Long = 328
Public Const VORL_E_RANGE_OUTPUT_STEPS_HIGH As Long = 329
Public Const VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_LOW As Long = 330
Public Const VORL_E_RANGE_AIR_MOLECULAR_WEIGHT_HIGH As Long = 331
Public Const VORL_E_RANGE_EXPANSION_METHOD As Long = 332
Public Const VORL_E_RANGE_WEBER_NUMBER_LOW As Long = 333
Public Const VORL_E_RANGE_WEBER_NUMBER_HIGH As Long = 334
Public Const VORL_E_RANGE_MAX_VELOCITY_LOW As Long = 335
Public Const VORL_E_RANGE_MAX_VELOCITY_HIGH As Long = 336
Public Const VORL_E_RANGE_MIN_DROP_SIZE_LOW As Long = 337
Public Const VORL_E_RANGE_MIN_DROP_SIZE_HIGH As Long = 338
Public Const VORL_E_RANGE_MAX_DROP_SIZE_LOW As Long = 339
Public Const VORL_E_RANGE_MAX_DROP_SIZE_HIGH As Long = 340
Public Const VORL_E_RANGE_GAS_TEMPERATURE_LOW As Long = 342
Public Const VORL_E_RANGE_GAS_TEMPERATURE_HIGH As Long = 343
Public Const VORL_E_RANGE_VALVE_COUNT As Long = 500
Public Const VORL_E_HOLE_OUTSIDE_BORE As Long = 501
Public Const VORL_E_VALVE_BEYOND_PIPE As Long = 502
Public Const VORL_E_INVALID_AMBIENT_TEMPERATURE As Long = 350
Public Const VORL_E_INVALID_AMBIENT_PRESSURE As Long = 351
Public Const VORL_E_INVALID_AMBIENT_HUMIDITY As Long = 352
Public Const VORL_E_INVALID_AIR_MOLECULAR_WEIGHT As Long = 353
Public Const VORL_E_INVALID_GAS_TEMPERATURE As Long = 354
Public Const VORL_E_INVALID_PIPE_LENGTH As Long = 355
Public Const VORL_E_INVALID_PIPE_DIAMETER As Long = 356
Public Const VORL_E_INVALID_PIPE_ROUGHNESS As Long = 357
Public Const VORL_E_INVALID_UPSTREAM_PRESSURE As Long = 358
Public Const VORL_E_INVALID_TOTAL_INFLOW As Long = 359
Public Const VORL_E_INVALID_BREACH_LOCATION As Long = 360
Public Const VORL_E_INVALID_APERTURE As Long = 361
Public Const VORL_E_INVALID_VALVE_POSITION As Long = 362
Public Const VORL_E_INVALID_VALVE_CLOSURE_TIME As Long = 363
Public Const VORL_E_INVALID_TIME_DIVISION As Long = 364
Public Const VORL_E_INVALID_EXPANSION_METHOD As Long = 365
Public Const VORL_E_INVALID_WEBER_NUMBER As Long = 366
Public Const VORL_E_INVALID_MAX_VELOCITY As Long = 367
Public Const VORL_E_INVALID_MIN_DROP_SIZE As Long = 368
Public Const VORL_E_INVALID_MAX_DROP_SIZE As Long = 369
Public Const VORL_E_INVALID_HOLE_DIAMETER As Long = 370
Public Const VORL_E_INVALID_HOLE_APERTURE As Long = 371
Public Const VORL_E_INVALID_PIPE_TIME As Long = 380
Public Const VORL_E_INVALID_LOOKUP_TOLERANCE As Long = 381
Public Const VORL_E_INVALID_GRID_MODE As Long = 382
Public Const VORL_E_INVALID_GRID_COUNT As Long = 383
Public Const VORL_E_INVALID_GRID_END_TIME As Long = 384
Public Const VORL_E_INVALID_COMPARISON_LENGTH As Long = 385
Public Const VORL_E_INVALID_COMPARISON_TEMPERATURE As Long = 386
Public Const VORL_E_INVALID_COMPARISON_FANNING As Long = 387
Public Const VORL_E_INVALID_COMPARISON_DIAMETER As Long = 388
Public Const VORL_E_INVALID_COMPARISON_INITIAL_PRESSURE As Long = 389
Public Const VORL_E_INVALID_COMPARISON_AMBIENT_PRESSURE As Long = 390
Public Const VORL_E_INVALID_COMPARISON_COUNT As Long = 391
Public Const VORL_E_INVALID_CRITICAL_TEMPERATURE As Long = 400
Public Const VORL_E_INVALID_CRITICAL_PRESSURE As Long = 401
Public Const VORL_E_INVALID_ACENTRIC_FACTOR As Long = 402
Public Const VORL_E_INVALID_REFERENCE_END_TIME As Long = 403
Public Const VORL_E_INVALID_REFERENCE_REPORT_TIME As Long = 404
Public Const VORL_E_INVALID_REFERENCE_REFINEMENT As Long = 405
Public Const VORL_E_INVALID_REFERENCE_ROWS As Long = 406
Public Const VORL_E_REFERENCE_NOT_GAS As Long = 407
Public Const VORL_E_REFERENCE_FAILED As Long = 408
Public Const VORL_E_REFERENCE_CANCELLED As Long = 409
Public Const VORL_E_ROW_COUNT As Long = 410
Public Const VORL_E_TOLERANCE_COUNT As Long = 411
Public Const VORL_E_COLUMN_COUNT As Long = 503
Public Const VORL_E_INVALID_MODEL_CHOICE As Long = 430
Public Const VORL_E_HOLE_TOO_SMALL As Long = 431
Public Const VORL_E_SWEEP_CASE_COUNT As Long = 450
Public Const VORL_E_SWEEP_THREADS As Long = 451
Public Const VORL_E_SWEEP_VALVE_STARTS As Long = 453
Public Const VORL_E_SWEEP_CANCELLED As Long = 454
Public Const VORL_E_SWEEP_INPUT As Long = 504
Public Const VORL_E_COMPOSITION_EMPTY As Long = 470
Public Const VORL_E_COMPOSITION_UNKNOWN As Long = 471
Public Const VORL_E_COMPOSITION_FRACTION As Long = 472
Public Const VORL_E_COMPOSITION_SUM As Long = 473
Public Const VORL_E_COMPOSITION_REPEATED As Long = 474
Public Const VORL_E_UNKNOWN_NAMED_GAS As Long = 475
Public Const VORL_E_INVALID_BACK_PRESSURE As Long = 476
Public Const VORL_E_INVALID_WATER_DEPTH As Long = 477
Public Const VORL_E_INVALID_SEAWATER_DENSITY As Long = 478
Public Const VORL_E_FAST_MODEL_SUPPLY As Long = 479
Public Const VORL_E_INVALID_SUPPLY_MODE As Long = 481
Public Const VORL_E_INVALID_SUPPLY_TRIP_TIME As Long = 482
Public Const VORL_E_FAST_MODEL_VALVE_CLOSING As Long = 483
Public Const VORL_E_INVALID_VALVE_DETECTION_DELAY As Long = 484
Public Const VORL_E_INVALID_VALVE_CLOSING_DURATION As Long = 485
Public Const VORL_E_INVALID_MOLECULAR_WEIGHT As Long = 486
Public Const VORL_E_DECAY_BELOW_AMBIENT As Long = 1003
Public Const VORL_W_BREACH_CLAMPED As Long = 1001
Public Const VORL_W_ABOVE_SATURATION As Long = 1002
Public Const VORL_W_ABOVE_MAX_VELOCITY As Long = 1004
Public Const VORL_W_REFERENCE_IDEAL_GAS As Long = 1005
Public Const VORL_W_COARSE_DIVISION As Long = 1015
Public Const VORL_W_FAST_MODEL_FAILED As Long = 1040

#If VBA7 Then
Public Declare PtrSafe Function Author Lib "vorl.dll" () As LongPtr
Public Declare PtrSafe Sub AboutBrimlow Lib "vorl.dll" ()
Public Declare PtrSafe Sub AnalyticComparison Lib "vorl.dll" (ByVal length As Double, _
        ByVal temperature As Double, ByVal fanning As Double, ByVal diameter As Double, _
        ByVal molecularWeight As Double, ByVal initialPressure As Double, _
        ByVal ambientPressure As Double, ByRef pressures As Double, ByRef times As Double, _
        ByVal count As Long)
Public Declare PtrSafe Sub VorlSetBrimlowMessageBoxWarningLevel Lib "vorl.dll" (ByVal level As Long)
Public Declare PtrSafe Sub VorlChokeModelAllow Lib "vorl.dll" (ByVal allow As Byte)
Public Declare PtrSafe Sub VorlGenericZel Lib "vorl.dll" (ByRef flags As Long, _
        ByRef inputs As Double, ByRef material As Long, ByRef valveCount As Long, _
        ByRef valveFirst As Double, ByRef valveSecond As Double, ByRef timeDivision As Long, _
        ByRef maxSteps As Long, ByRef fanning As Double, ByRef aTimeToDechoke As Double, _
        ByRef aTimeToDisturbEntireFlow As Double, ByRef aTimeToDepressurise As Double, _
        ByRef recordsA As Long, ByRef aTime As Double, ByRef aUpstreamFlux As Double, _
        ByRef aUpstreamPressure As Double, ByRef aUpstreamVelocity As Double, _
        ByRef aOrificeFlux As Double, ByRef aOrificeVelocity As Double, _
        ByRef aExitPressure As Double, ByRef aMass As Double, ByRef aMassInPipe As Double, _
        ByRef aMassExpelled As Double, ByRef aLengthDisturbed As Double, _
        ByRef aPostFlash1 As Double, ByRef aPostFlash2 As Double, ByRef aPostFlash3 As Double, _
        ByRef aPostFlash4 As Double, ByRef bTimeToDechoke As Double, _
        ByRef bTimeToDisturbEntireFlow As Double, ByRef bTimeToFlowReversal As Double, _
        ByRef bTimeToDepressurise As Double, ByRef recordsB As Long, ByRef bTime As Double, _
        ByRef bUpstreamFlux As Double, ByRef bUpstreamPressure As Double, _
        ByRef bUpstreamVelocity As Double, ByRef bOrificeFlux As Double, _
        ByRef bOrificeVelocity As Double, ByRef bExitPressure As Double, ByRef bMass As Double, _
        ByRef bMassInPipe As Double, ByRef bMassExpelled As Double, _
        ByRef bLengthDisturbed As Double, ByRef bLengthToPressurePeak As Double, _
        ByRef bPostFlash1 As Double, ByRef bPostFlash2 As Double, ByRef bPostFlash3 As Double, _
        ByRef bPostFlash4 As Double, ByRef outputSteps As Long, ByRef pipeTime As Double, _
        ByRef pipePostFlashTemperature As Double, ByRef pipePostFlashVelocity As Double, _
        ByRef pipePostFlashLiquid As Double, ByRef pipePostFlashDrop As Double, _
        ByRef pipeMass As Double, ByRef pipeMassInPipe As Double, ByRef pipeMassExpelled As Double, _
        ByRef pipeExitFlux As Double)
Public Declare PtrSafe Function VorlModelCreateZel Lib "vorl.dll" (ByVal material As Long) As LongPtr
Public Declare PtrSafe Function VorlModelCreateSimple Lib "vorl.dll" (ByVal molecularWeight As Double) As LongPtr
Public Declare PtrSafe Sub VorlModelDelete Lib "vorl.dll" (ByRef handle As LongPtr)
Public Declare PtrSafe Sub VorlError Lib "vorl.dll" (ByVal code As Long, ByVal tag As String)
Public Declare PtrSafe Function VorlRun Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Sub VorlAmbientTemperatureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal temperature As Double)
Public Declare PtrSafe Sub VorlAmbientPressureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal pressure As Double)
Public Declare PtrSafe Sub VorlPipeDiameterSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal diameter As Double)
Public Declare PtrSafe Sub VorlPipeLengthSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal length As Double)
Public Declare PtrSafe Sub VorlTimeDivisionSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal division As Long)
Public Declare PtrSafe Sub VorlOrificeApertureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal aperture As Double)
Public Declare PtrSafe Sub VorlTotalInflowSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal inflow As Double)
Public Declare PtrSafe Sub VorlPipeBreachLocationSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal location As Double)
Public Declare PtrSafe Sub VorlUpstreamPressureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal pressure As Double)
Public Declare PtrSafe Sub VorlValveAdd Lib "vorl.dll" (ByVal model As LongPtr, ByVal position As Double, ByVal closureTime As Double)
Public Declare PtrSafe Sub VorlValvesActivate Lib "vorl.dll" (ByVal model As LongPtr, ByVal active As Byte)
Public Declare PtrSafe Sub VorlValvesDelete Lib "vorl.dll" (ByVal model As LongPtr)
Public Declare PtrSafe Sub VorlPipeRoughnessSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal roughness As Double)
Public Declare PtrSafe Sub VorlAmbientHumiditySet Lib "vorl.dll" (ByVal model As LongPtr, ByVal humidity As Double)
Public Declare PtrSafe Sub VorlAmbientMolecularWeightSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal molecularWeight As Double)
Public Declare PtrSafe Sub VorlAtmosExpanMethodSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal method As Long)
Public Declare PtrSafe Sub VorlAtmosExpanWeNumSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal weberNumber As Double)
Public Declare PtrSafe Sub VorlAtmosExpanMaxVelSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal velocity As Double)
Public Declare PtrSafe Sub VorlAtmosExpanMinDropSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal size As Double)
Public Declare PtrSafe Sub VorlAtmosExpanMaxDropSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal size As Double)
Public Declare PtrSafe Sub VorlAtmosExpanHoleSizeSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal diameter As Double, ByVal aperture As Double)
Public Declare PtrSafe Sub VorlAtmosExpanPhaseFlagSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal flag As Long)
Public Declare PtrSafe Function VorlFanning Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeLength Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeBreachLocation Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlIsDoubleBranch Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlIsSingleBranchA Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlIsSingleBranchB Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlBranchAFlowSequenceSize Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlBranchATimeToDechoke Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchATimeToDepressurise Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchATimeToDisturbEntireFlow Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchAUpstreamFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAUpstreamFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAUpstreamPressure Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAUpstreamVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAExitFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAExitFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAExitPressure Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAExitVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Sub VorlBranchAPostFlash Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal index As Long, ByRef temperature As Double, ByRef velocity As Double, _
        ByRef liquidFraction As Double, ByRef dropSize As Double)
Public Declare PtrSafe Function VorlBranchAOrificeFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAOrificeVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAOrificeFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchALengthToPressurePeak Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchALengthDisturbed Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAMass Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAMassExpelled Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Byte
Public Declare PtrSafe Function VorlBranchATime Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchATimeIsInfinite Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Byte
Public Declare PtrSafe Function VorlBranchAMassTrapped Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchAMassInPipe Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchARegime Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Long
Public Declare PtrSafe Function VorlBranchBFlowSequenceSize Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlBranchBTimeToDechoke Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchBTimeToDepressurise Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchBTimeToDisturbEntireFlow Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchBTimeToFlowReversal Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlBranchBUpstreamFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBUpstreamFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBUpstreamPressure Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBUpstreamVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBExitFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBExitFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBExitPressure Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBExitVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Sub VorlBranchBPostFlash Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal index As Long, ByRef temperature As Double, ByRef velocity As Double, _
        ByRef liquidFraction As Double, ByRef dropSize As Double)
Public Declare PtrSafe Function VorlBranchBOrificeFluxDensity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBOrificeVelocity Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBOrificeFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBLengthToPressurePeak Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBLengthDisturbed Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBMass Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBMassExpelled Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Byte
Public Declare PtrSafe Function VorlBranchBTime Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBTimeIsInfinite Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Byte
Public Declare PtrSafe Function VorlBranchBMassTrapped Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBMassInPipe Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlBranchBRegime Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Long
Public Declare PtrSafe Function VorlPipeTimeMax Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeTimeSet Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal timeValue As Double, ByVal tolerance As Double) As Double
Public Declare PtrSafe Sub VorlPipeTimeSetToStart Lib "vorl.dll" (ByVal model As LongPtr)
Public Declare PtrSafe Function VorlPipeBranchAverage Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal valueA As Double, ByVal valueB As Double) As Double
Public Declare PtrSafe Sub VorlPipeOutputTimesDefine Lib "vorl.dll" (ByVal model As LongPtr, ByVal mode As Long, ByVal count As Long)
Public Declare PtrSafe Function VorlPipeOutputSteps Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlPipeOutputTime Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlPipeOutputTimeTolerance Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlPipeOutputTmax Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Sub VorlPipeOutputTmaxSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal tmax As Double)
Public Declare PtrSafe Function VorlPipeExitFlux Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeExitVelocity Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Sub VorlPipePostFlash Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef velocity As Double, ByRef temperature As Double, ByRef liquidFraction As Double, _
        ByRef dropSize As Double)
Public Declare PtrSafe Function VorlPipeOutputMaxSteps Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Sub VorlPipeOutputMaxStepsSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal maxSteps As Long)
Public Declare PtrSafe Function VorlPipeMass Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassInPipe Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassExpelled Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassTrapped Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassPerUnitArea Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassInitial Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlPipeOrificeArea Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeOrificeFluxDensity Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlPipeOrificeVelocity Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Function VorlErrorLogCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlErrorLogCode Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlErrorLogTag Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlErrorLogMessage Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Sub VorlErrorLogClear Lib "vorl.dll" ()
Public Declare PtrSafe Sub VorlErrorHandlerSet Lib "vorl.dll" (ByVal handler As LongPtr, ByVal user As LongPtr)
Public Declare PtrSafe Sub VorlDebugOutputSet Lib "vorl.dll" (ByVal sink As LongPtr, ByVal user As LongPtr)
Public Declare PtrSafe Sub VorlStringFree Lib "vorl.dll" (ByVal textValue As LongPtr)
Public Declare PtrSafe Sub VorlGasTemperatureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal temperature As Double)
Public Declare PtrSafe Function VorlCheckInputs Lib "vorl.dll" (ByRef flags As Long, _
        ByRef inputs As Double, ByRef valveFirst As Double, ByRef valveSecond As Double, _
        ByRef timeDivision As Long, ByRef maxSteps As Long, ByRef valveCount As Long) As Long
Public Declare PtrSafe Function VorlCheckCase Lib "vorl.dll" (ByRef flags As Long, _
        ByRef inputs As Double, ByRef valveFirst As Double, ByRef valveSecond As Double, _
        ByRef timeDivision As Long, ByRef maxSteps As Long, ByRef valveCount As Long, _
        ByVal holeDiameter As Double, ByRef failingValve As Long) As Long
Public Declare PtrSafe Function VorlCheckCaseOfModel Lib "vorl.dll" (ByVal choice As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByRef timeDivision As Long, ByRef maxSteps As Long, _
        ByRef valveCount As Long, ByVal holeDiameter As Double, ByRef failingValve As Long) As Long
Public Declare PtrSafe Function VorlCaseFitsOneCall Lib "vorl.dll" (ByRef flags As Long, _
        ByRef inputs As Double, ByRef valveFirst As Double, ByRef valveSecond As Double, _
        ByRef timeDivision As Long, ByRef maxSteps As Long, ByRef valveCount As Long) As Byte
Public Declare PtrSafe Function VorlHoleAperture Lib "vorl.dll" (ByVal holeDiameter As Double, ByVal pipeDiameter As Double) As Double
Public Declare PtrSafe Function VorlErrorLogRepeatCount Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlErrorLogRange Lib "vorl.dll" (ByVal index As Long, ByRef lowest As Double, ByRef highest As Double) As Byte
Public Declare PtrSafe Function VorlCodeText Lib "vorl.dll" (ByVal code As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlLastCode Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlReportValue Lib "vorl.dll" () As Double
Public Declare PtrSafe Function VorlInputCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlInputName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputUnit Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputMeaning Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputRangeText Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputSetter Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputDefault Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare PtrSafe Function VorlInputMin Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare PtrSafe Function VorlInputMax Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare PtrSafe Function VorlInputCodeBelow Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlInputCodeAbove Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlInputGuardCode Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlInputSlot Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlInputSlotIndex Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlInputFind Lib "vorl.dll" (ByVal nameValue As String) As Long
Public Declare PtrSafe Sub VorlInputSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long, ByVal value As Double)
Public Declare PtrSafe Function VorlInputGet Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Sub VorlGenericInputsSet Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef flags As Long, ByRef inputs As Double, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByRef timeDivision As Long, ByRef maxSteps As Long, _
        ByRef valveCount As Long)
Public Declare PtrSafe Function VorlBranchTableColumnCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlBranchTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlBranchTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlBranchTableColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlBranchTableColumnShown Lib "vorl.dll" (ByVal column As Long) As Byte
Public Declare PtrSafe Function VorlBranchTableFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal branch As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Function VorlPipeTableColumnCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlPipeTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlPipeTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlPipeTableColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlPipeTableColumnShown Lib "vorl.dll" (ByVal column As Long) As Byte
Public Declare PtrSafe Function VorlPipeTableFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef times As Double, ByVal timeCount As Long, ByRef tolerances As Double, _
        ByVal toleranceCount As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Function VorlPipeTableColumnsFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef times As Double, ByVal timeCount As Long, ByRef tolerances As Double, _
        ByVal toleranceCount As Long, ByRef columns As Long, ByVal columnCount As Long, _
        ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Function VorlPipeGridTableFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal count As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Function VorlReleaseReportColumnCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlReleaseReportColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseReportColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseReportColumnMeaning Lib "vorl.dll" (ByVal column As Long, _
        ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseReportFill Lib "vorl.dll" (ByVal model As LongPtr, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Function VorlPipeBranchExitFlux Lib "vorl.dll" (ByVal model As LongPtr, ByVal branch As Long) As Double
Public Declare PtrSafe Function VorlEventCount Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlEventsFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef kinds As Long, ByRef branches As Long, ByRef times As Double, _
        ByRef valvePositions As Double, ByVal maxEvents As Long) As Long
Public Declare PtrSafe Function VorlReleaseCurveColumnCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlReleaseCurveColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseCurveColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseCurveColumnMeaning Lib "vorl.dll" (ByVal column As Long, _
        ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReleaseCurveFill Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal count As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Sub VorlReleaseCurveRange Lib "vorl.dll" (ByVal model As LongPtr, ByVal count As Long, ByRef range As Double)
Public Declare PtrSafe Function VorlMaterialCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlMaterialNumber Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare PtrSafe Function VorlMaterialName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlMaterialCas Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlMaterialMolecularWeight Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare PtrSafe Function VorlMaterialAliases Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlMaterialFind Lib "vorl.dll" (ByVal textValue As String) As Long
Public Declare PtrSafe Function VorlInputCaseKey Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInputCaseDefault Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare PtrSafe Function VorlInputCaseRangeText Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlCaseDefaultMaterial Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlInputOfCode Lib "vorl.dll" (ByVal code As Long) As Long
Public Declare PtrSafe Function VorlInputFindCaseKey Lib "vorl.dll" (ByVal key As String) As Long
Public Declare PtrSafe Function VorlQuantityRead Lib "vorl.dll" (ByVal textValue As String, _
        ByVal siUnit As String, ByRef value As Double, ByRef gauge As Long) As Long
Public Declare PtrSafe Function VorlUnitWords Lib "vorl.dll" (ByVal siUnit As String, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Sub VorlReferenceRealGasSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal realGas As Byte)
Public Declare PtrSafe Sub VorlReferenceCriticalSet Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal criticalTemperature As Double, ByVal criticalPressure As Double, _
        ByVal acentricFactor As Double)
Public Declare PtrSafe Sub VorlReferenceEndTimeSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal endTime As Double)
Public Declare PtrSafe Function VorlReferenceEndTime Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Sub VorlReferenceReportTimesSet Lib "vorl.dll" (ByVal model As LongPtr, ByRef times As Double, ByVal count As Long)
Public Declare PtrSafe Sub VorlReferenceRefinementSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal refinement As Double)
Public Declare PtrSafe Function VorlReferenceRun Lib "vorl.dll" (ByVal model As LongPtr, ByVal progress As LongPtr, ByVal user As LongPtr) As Long
Public Declare PtrSafe Function VorlReferenceRealGas Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlReferenceTableColumnCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlReferenceTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReferenceTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlReferenceTableFill Lib "vorl.dll" (ByVal model As LongPtr, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare PtrSafe Sub VorlModelChoiceSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal choice As Long)
Public Declare PtrSafe Function VorlModelChoice Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlModelRun Lib "vorl.dll" (ByVal model As LongPtr, ByVal progress As LongPtr, ByVal user As LongPtr) As Long
Public Declare PtrSafe Function VorlSmallestHoleDiameter Lib "vorl.dll" (ByVal choice As Long, ByVal bore As Double) As Double
Public Declare PtrSafe Function VorlModelReportTimes Lib "vorl.dll" (ByVal endValue As Double, ByRef times As Double, ByVal maxCount As Long) As Long
Public Declare PtrSafe Function VorlOneCallSlotSize Lib "vorl.dll" (ByVal slot As Long) As Long
Public Declare PtrSafe Function VorlSweepRun Lib "vorl.dll" (ByVal caseCount As Long, _
        ByRef materials As Long, ByRef molecularWeights As Double, ByRef models As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef timeDivisions As Long, _
        ByRef maxSteps As Long, ByRef valveStarts As Long, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByVal threads As Long, ByRef pipeTimes As Double, _
        ByVal pipeTimeCount As Long, ByRef tolerances As Double, ByVal toleranceCount As Long, _
        ByRef report As Double, ByRef pipe As Double, ByRef status As Long, ByRef codes As Long, _
        ByVal progress As LongPtr, ByVal user As LongPtr) As Long
Public Declare PtrSafe Function VorlSweepRunWithInputs Lib "vorl.dll" (ByVal caseCount As Long, _
        ByRef materials As Long, ByRef molecularWeights As Double, ByRef models As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef timeDivisions As Long, _
        ByRef maxSteps As Long, ByRef valveStarts As Long, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByVal extraCount As Long, ByRef extraInputs As Long, _
        ByRef extraValues As Double, ByVal threads As Long, ByRef pipeTimes As Double, _
        ByVal pipeTimeCount As Long, ByRef tolerances As Double, ByVal toleranceCount As Long, _
        ByRef report As Double, ByRef pipe As Double, ByRef status As Long, ByRef codes As Long, _
        ByVal progress As LongPtr, ByVal user As LongPtr) As Long
Public Declare PtrSafe Function VorlModelCreateComposition Lib "vorl.dll" (ByVal count As Long, _
        ByRef numbers As Long, ByRef fractions As Double) As LongPtr
Public Declare PtrSafe Function VorlModelComponentCount Lib "vorl.dll" (ByVal model As LongPtr) As Long
Public Declare PtrSafe Function VorlModelComponentNumber Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Long
Public Declare PtrSafe Function VorlModelComponentFraction Lib "vorl.dll" (ByVal model As LongPtr, ByVal index As Long) As Double
Public Declare PtrSafe Function VorlModelGasProperty Lib "vorl.dll" (ByVal model As LongPtr, _
        ByVal code As Long, ByVal x1 As Double, ByVal x2 As Double) As Double
Public Declare PtrSafe Function VorlNamedGasCount Lib "vorl.dll" () As Long
Public Declare PtrSafe Function VorlNamedGasName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlNamedGasDescription Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlNamedGasFind Lib "vorl.dll" (ByVal textValue As String) As Long
Public Declare PtrSafe Function VorlModelCreateNamedGas Lib "vorl.dll" (ByVal index As Long) As LongPtr
Public Declare PtrSafe Function VorlNamedGasAliases Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare PtrSafe Function VorlInteractionCoefficient Lib "vorl.dll" (ByVal materialA As Long, ByVal materialB As Long) As Double
Public Declare PtrSafe Function VorlModelIsNaturalGas Lib "vorl.dll" (ByVal model As LongPtr) As Byte
Public Declare PtrSafe Function VorlPotentialImpactRadius Lib "vorl.dll" (ByVal model As LongPtr, _
        ByRef diameterInches As Double, ByRef gaugePsi As Double) As Double
Public Declare PtrSafe Sub VorlBackPressureSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal pressure As Double)
Public Declare PtrSafe Sub VorlWaterDepthSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal depth As Double)
Public Declare PtrSafe Sub VorlSeawaterDensitySet Lib "vorl.dll" (ByVal model As LongPtr, ByVal density As Double)
Public Declare PtrSafe Function VorlOutletPressure Lib "vorl.dll" (ByVal model As LongPtr) As Double
Public Declare PtrSafe Sub VorlSupplyModeSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal mode As Long)
Public Declare PtrSafe Sub VorlSupplyTripTimeSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal timeValue As Double)
Public Declare PtrSafe Sub VorlValveDetectionDelaySet Lib "vorl.dll" (ByVal model As LongPtr, ByVal delay As Double)
Public Declare PtrSafe Sub VorlValveClosingDurationSet Lib "vorl.dll" (ByVal model As LongPtr, ByVal duration As Double)
#Else
Public Declare Function Author Lib "vorl.dll" () As Long
Public Declare Sub AboutBrimlow Lib "vorl.dll" ()
Public Declare Sub AnalyticComparison Lib "vorl.dll" (ByVal length As Double, _
        ByVal temperature As Double, ByVal fanning As Double, ByVal diameter As Double, _
        ByVal molecularWeight As Double, ByVal initialPressure As Double, _
        ByVal ambientPressure As Double, ByRef pressures As Double, ByRef times As Double, _
        ByVal count As Long)
Public Declare Sub VorlSetBrimlowMessageBoxWarningLevel Lib "vorl.dll" (ByVal level As Long)
Public Declare Sub VorlChokeModelAllow Lib "vorl.dll" (ByVal allow As Byte)
Public Declare Sub VorlGenericZel Lib "vorl.dll" (ByRef flags As Long, ByRef inputs As Double, _
        ByRef material As Long, ByRef valveCount As Long, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByRef timeDivision As Long, ByRef maxSteps As Long, _
        ByRef fanning As Double, ByRef aTimeToDechoke As Double, _
        ByRef aTimeToDisturbEntireFlow As Double, ByRef aTimeToDepressurise As Double, _
        ByRef recordsA As Long, ByRef aTime As Double, ByRef aUpstreamFlux As Double, _
        ByRef aUpstreamPressure As Double, ByRef aUpstreamVelocity As Double, _
        ByRef aOrificeFlux As Double, ByRef aOrificeVelocity As Double, _
        ByRef aExitPressure As Double, ByRef aMass As Double, ByRef aMassInPipe As Double, _
        ByRef aMassExpelled As Double, ByRef aLengthDisturbed As Double, _
        ByRef aPostFlash1 As Double, ByRef aPostFlash2 As Double, ByRef aPostFlash3 As Double, _
        ByRef aPostFlash4 As Double, ByRef bTimeToDechoke As Double, _
        ByRef bTimeToDisturbEntireFlow As Double, ByRef bTimeToFlowReversal As Double, _
        ByRef bTimeToDepressurise As Double, ByRef recordsB As Long, ByRef bTime As Double, _
        ByRef bUpstreamFlux As Double, ByRef bUpstreamPressure As Double, _
        ByRef bUpstreamVelocity As Double, ByRef bOrificeFlux As Double, _
        ByRef bOrificeVelocity As Double, ByRef bExitPressure As Double, ByRef bMass As Double, _
        ByRef bMassInPipe As Double, ByRef bMassExpelled As Double, _
        ByRef bLengthDisturbed As Double, ByRef bLengthToPressurePeak As Double, _
        ByRef bPostFlash1 As Double, ByRef bPostFlash2 As Double, ByRef bPostFlash3 As Double, _
        ByRef bPostFlash4 As Double, ByRef outputSteps As Long, ByRef pipeTime As Double, _
        ByRef pipePostFlashTemperature As Double, ByRef pipePostFlashVelocity As Double, _
        ByRef pipePostFlashLiquid As Double, ByRef pipePostFlashDrop As Double, _
        ByRef pipeMass As Double, ByRef pipeMassInPipe As Double, ByRef pipeMassExpelled As Double, _
        ByRef pipeExitFlux As Double)
Public Declare Function VorlModelCreateZel Lib "vorl.dll" (ByVal material As Long) As Long
Public Declare Function VorlModelCreateSimple Lib "vorl.dll" (ByVal molecularWeight As Double) As Long
Public Declare Sub VorlModelDelete Lib "vorl.dll" (ByRef handle As Long)
Public Declare Sub VorlError Lib "vorl.dll" (ByVal code As Long, ByVal tag As String)
Public Declare Function VorlRun Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Sub VorlAmbientTemperatureSet Lib "vorl.dll" (ByVal model As Long, ByVal temperature As Double)
Public Declare Sub VorlAmbientPressureSet Lib "vorl.dll" (ByVal model As Long, ByVal pressure As Double)
Public Declare Sub VorlPipeDiameterSet Lib "vorl.dll" (ByVal model As Long, ByVal diameter As Double)
Public Declare Sub VorlPipeLengthSet Lib "vorl.dll" (ByVal model As Long, ByVal length As Double)
Public Declare Sub VorlTimeDivisionSet Lib "vorl.dll" (ByVal model As Long, ByVal division As Long)
Public Declare Sub VorlOrificeApertureSet Lib "vorl.dll" (ByVal model As Long, ByVal aperture As Double)
Public Declare Sub VorlTotalInflowSet Lib "vorl.dll" (ByVal model As Long, ByVal inflow As Double)
Public Declare Sub VorlPipeBreachLocationSet Lib "vorl.dll" (ByVal model As Long, ByVal location As Double)
Public Declare Sub VorlUpstreamPressureSet Lib "vorl.dll" (ByVal model As Long, ByVal pressure As Double)
Public Declare Sub VorlValveAdd Lib "vorl.dll" (ByVal model As Long, ByVal position As Double, ByVal closureTime As Double)
Public Declare Sub VorlValvesActivate Lib "vorl.dll" (ByVal model As Long, ByVal active As Byte)
Public Declare Sub VorlValvesDelete Lib "vorl.dll" (ByVal model As Long)
Public Declare Sub VorlPipeRoughnessSet Lib "vorl.dll" (ByVal model As Long, ByVal roughness As Double)
Public Declare Sub VorlAmbientHumiditySet Lib "vorl.dll" (ByVal model As Long, ByVal humidity As Double)
Public Declare Sub VorlAmbientMolecularWeightSet Lib "vorl.dll" (ByVal model As Long, ByVal molecularWeight As Double)
Public Declare Sub VorlAtmosExpanMethodSet Lib "vorl.dll" (ByVal model As Long, ByVal method As Long)
Public Declare Sub VorlAtmosExpanWeNumSet Lib "vorl.dll" (ByVal model As Long, ByVal weberNumber As Double)
Public Declare Sub VorlAtmosExpanMaxVelSet Lib "vorl.dll" (ByVal model As Long, ByVal velocity As Double)
Public Declare Sub VorlAtmosExpanMinDropSet Lib "vorl.dll" (ByVal model As Long, ByVal size As Double)
Public Declare Sub VorlAtmosExpanMaxDropSet Lib "vorl.dll" (ByVal model As Long, ByVal size As Double)
Public Declare Sub VorlAtmosExpanHoleSizeSet Lib "vorl.dll" (ByVal model As Long, ByVal diameter As Double, ByVal aperture As Double)
Public Declare Sub VorlAtmosExpanPhaseFlagSet Lib "vorl.dll" (ByVal model As Long, ByVal flag As Long)
Public Declare Function VorlFanning Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeLength Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeBreachLocation Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlIsDoubleBranch Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlIsSingleBranchA Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlIsSingleBranchB Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlBranchAFlowSequenceSize Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlBranchATimeToDechoke Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchATimeToDepressurise Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchATimeToDisturbEntireFlow Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchAUpstreamFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAUpstreamFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAUpstreamPressure Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAUpstreamVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAExitFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAExitFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAExitPressure Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAExitVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Sub VorlBranchAPostFlash Lib "vorl.dll" (ByVal model As Long, ByVal index As Long, _
        ByRef temperature As Double, ByRef velocity As Double, ByRef liquidFraction As Double, _
        ByRef dropSize As Double)
Public Declare Function VorlBranchAOrificeFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAOrificeVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAOrificeFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchALengthToPressurePeak Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchALengthDisturbed Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAMass Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAMassExpelled Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Byte
Public Declare Function VorlBranchATime Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchATimeIsInfinite Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Byte
Public Declare Function VorlBranchAMassTrapped Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchAMassInPipe Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchARegime Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Long
Public Declare Function VorlBranchBFlowSequenceSize Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlBranchBTimeToDechoke Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchBTimeToDepressurise Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchBTimeToDisturbEntireFlow Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchBTimeToFlowReversal Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlBranchBUpstreamFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBUpstreamFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBUpstreamPressure Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBUpstreamVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBExitFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBExitFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBExitPressure Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBExitVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Sub VorlBranchBPostFlash Lib "vorl.dll" (ByVal model As Long, ByVal index As Long, _
        ByRef temperature As Double, ByRef velocity As Double, ByRef liquidFraction As Double, _
        ByRef dropSize As Double)
Public Declare Function VorlBranchBOrificeFluxDensity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBOrificeVelocity Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBOrificeFlux Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBLengthToPressurePeak Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBLengthDisturbed Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBMass Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBMassExpelled Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Byte
Public Declare Function VorlBranchBTime Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBTimeIsInfinite Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Byte
Public Declare Function VorlBranchBMassTrapped Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBMassInPipe Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlBranchBRegime Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Long
Public Declare Function VorlPipeTimeMax Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeTimeSet Lib "vorl.dll" (ByVal model As Long, ByVal timeValue As Double, ByVal tolerance As Double) As Double
Public Declare Sub VorlPipeTimeSetToStart Lib "vorl.dll" (ByVal model As Long)
Public Declare Function VorlPipeBranchAverage Lib "vorl.dll" (ByVal model As Long, ByVal valueA As Double, ByVal valueB As Double) As Double
Public Declare Sub VorlPipeOutputTimesDefine Lib "vorl.dll" (ByVal model As Long, ByVal mode As Long, ByVal count As Long)
Public Declare Function VorlPipeOutputSteps Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlPipeOutputTime Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlPipeOutputTimeTolerance Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlPipeOutputTmax Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Sub VorlPipeOutputTmaxSet Lib "vorl.dll" (ByVal model As Long, ByVal tmax As Double)
Public Declare Function VorlPipeExitFlux Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeExitVelocity Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Sub VorlPipePostFlash Lib "vorl.dll" (ByVal model As Long, ByRef velocity As Double, _
        ByRef temperature As Double, ByRef liquidFraction As Double, ByRef dropSize As Double)
Public Declare Function VorlPipeOutputMaxSteps Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Sub VorlPipeOutputMaxStepsSet Lib "vorl.dll" (ByVal model As Long, ByVal maxSteps As Long)
Public Declare Function VorlPipeMass Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassInPipe Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassExpelled Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassTrapped Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassPerUnitArea Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassInitial Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeMassExpelledIsInfinite Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlPipeOrificeArea Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeOrificeFluxDensity Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlPipeOrificeVelocity Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Function VorlErrorLogCount Lib "vorl.dll" () As Long
Public Declare Function VorlErrorLogCode Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlErrorLogTag Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlErrorLogMessage Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Sub VorlErrorLogClear Lib "vorl.dll" ()
Public Declare Sub VorlErrorHandlerSet Lib "vorl.dll" (ByVal handler As Long, ByVal user As Long)
Public Declare Sub VorlDebugOutputSet Lib "vorl.dll" (ByVal sink As Long, ByVal user As Long)
Public Declare Sub VorlStringFree Lib "vorl.dll" (ByVal textValue As Long)
Public Declare Sub VorlGasTemperatureSet Lib "vorl.dll" (ByVal model As Long, ByVal temperature As Double)
Public Declare Function VorlCheckInputs Lib "vorl.dll" (ByRef flags As Long, ByRef inputs As Double, _
        ByRef valveFirst As Double, ByRef valveSecond As Double, ByRef timeDivision As Long, _
        ByRef maxSteps As Long, ByRef valveCount As Long) As Long
Public Declare Function VorlCheckCase Lib "vorl.dll" (ByRef flags As Long, ByRef inputs As Double, _
        ByRef valveFirst As Double, ByRef valveSecond As Double, ByRef timeDivision As Long, _
        ByRef maxSteps As Long, ByRef valveCount As Long, ByVal holeDiameter As Double, _
        ByRef failingValve As Long) As Long
Public Declare Function VorlCheckCaseOfModel Lib "vorl.dll" (ByVal choice As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByRef timeDivision As Long, ByRef maxSteps As Long, _
        ByRef valveCount As Long, ByVal holeDiameter As Double, ByRef failingValve As Long) As Long
Public Declare Function VorlCaseFitsOneCall Lib "vorl.dll" (ByRef flags As Long, _
        ByRef inputs As Double, ByRef valveFirst As Double, ByRef valveSecond As Double, _
        ByRef timeDivision As Long, ByRef maxSteps As Long, ByRef valveCount As Long) As Byte
Public Declare Function VorlHoleAperture Lib "vorl.dll" (ByVal holeDiameter As Double, ByVal pipeDiameter As Double) As Double
Public Declare Function VorlErrorLogRepeatCount Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlErrorLogRange Lib "vorl.dll" (ByVal index As Long, ByRef lowest As Double, ByRef highest As Double) As Byte
Public Declare Function VorlCodeText Lib "vorl.dll" (ByVal code As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlLastCode Lib "vorl.dll" () As Long
Public Declare Function VorlReportValue Lib "vorl.dll" () As Double
Public Declare Function VorlInputCount Lib "vorl.dll" () As Long
Public Declare Function VorlInputName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputUnit Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputMeaning Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputRangeText Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputSetter Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputDefault Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare Function VorlInputMin Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare Function VorlInputMax Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare Function VorlInputCodeBelow Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlInputCodeAbove Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlInputGuardCode Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlInputSlot Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlInputSlotIndex Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlInputFind Lib "vorl.dll" (ByVal nameValue As String) As Long
Public Declare Sub VorlInputSet Lib "vorl.dll" (ByVal model As Long, ByVal index As Long, ByVal value As Double)
Public Declare Function VorlInputGet Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Sub VorlGenericInputsSet Lib "vorl.dll" (ByVal model As Long, ByRef flags As Long, _
        ByRef inputs As Double, ByRef valveFirst As Double, ByRef valveSecond As Double, _
        ByRef timeDivision As Long, ByRef maxSteps As Long, ByRef valveCount As Long)
Public Declare Function VorlBranchTableColumnCount Lib "vorl.dll" () As Long
Public Declare Function VorlBranchTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlBranchTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlBranchTableColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlBranchTableColumnShown Lib "vorl.dll" (ByVal column As Long) As Byte
Public Declare Function VorlBranchTableFill Lib "vorl.dll" (ByVal model As Long, _
        ByVal branch As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Function VorlPipeTableColumnCount Lib "vorl.dll" () As Long
Public Declare Function VorlPipeTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlPipeTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlPipeTableColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlPipeTableColumnShown Lib "vorl.dll" (ByVal column As Long) As Byte
Public Declare Function VorlPipeTableFill Lib "vorl.dll" (ByVal model As Long, _
        ByRef times As Double, ByVal timeCount As Long, ByRef tolerances As Double, _
        ByVal toleranceCount As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Function VorlPipeTableColumnsFill Lib "vorl.dll" (ByVal model As Long, _
        ByRef times As Double, ByVal timeCount As Long, ByRef tolerances As Double, _
        ByVal toleranceCount As Long, ByRef columns As Long, ByVal columnCount As Long, _
        ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Function VorlPipeGridTableFill Lib "vorl.dll" (ByVal model As Long, _
        ByVal count As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Function VorlReleaseReportColumnCount Lib "vorl.dll" () As Long
Public Declare Function VorlReleaseReportColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseReportColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseReportColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseReportFill Lib "vorl.dll" (ByVal model As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Function VorlPipeBranchExitFlux Lib "vorl.dll" (ByVal model As Long, ByVal branch As Long) As Double
Public Declare Function VorlEventCount Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlEventsFill Lib "vorl.dll" (ByVal model As Long, ByRef kinds As Long, _
        ByRef branches As Long, ByRef times As Double, ByRef valvePositions As Double, _
        ByVal maxEvents As Long) As Long
Public Declare Function VorlReleaseCurveColumnCount Lib "vorl.dll" () As Long
Public Declare Function VorlReleaseCurveColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseCurveColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseCurveColumnMeaning Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReleaseCurveFill Lib "vorl.dll" (ByVal model As Long, _
        ByVal count As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Sub VorlReleaseCurveRange Lib "vorl.dll" (ByVal model As Long, ByVal count As Long, ByRef range As Double)
Public Declare Function VorlMaterialCount Lib "vorl.dll" () As Long
Public Declare Function VorlMaterialNumber Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlMaterialName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlMaterialCas Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlMaterialMolecularWeight Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare Function VorlMaterialAliases Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlMaterialFind Lib "vorl.dll" (ByVal textValue As String) As Long
Public Declare Function VorlInputCaseKey Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInputCaseDefault Lib "vorl.dll" (ByVal index As Long) As Double
Public Declare Function VorlInputCaseRangeText Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlCaseDefaultMaterial Lib "vorl.dll" () As Long
Public Declare Function VorlInputOfCode Lib "vorl.dll" (ByVal code As Long) As Long
Public Declare Function VorlInputFindCaseKey Lib "vorl.dll" (ByVal key As String) As Long
Public Declare Function VorlQuantityRead Lib "vorl.dll" (ByVal textValue As String, _
        ByVal siUnit As String, ByRef value As Double, ByRef gauge As Long) As Long
Public Declare Function VorlUnitWords Lib "vorl.dll" (ByVal siUnit As String, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Sub VorlReferenceRealGasSet Lib "vorl.dll" (ByVal model As Long, ByVal realGas As Byte)
Public Declare Sub VorlReferenceCriticalSet Lib "vorl.dll" (ByVal model As Long, _
        ByVal criticalTemperature As Double, ByVal criticalPressure As Double, _
        ByVal acentricFactor As Double)
Public Declare Sub VorlReferenceEndTimeSet Lib "vorl.dll" (ByVal model As Long, ByVal endTime As Double)
Public Declare Function VorlReferenceEndTime Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Sub VorlReferenceReportTimesSet Lib "vorl.dll" (ByVal model As Long, ByRef times As Double, ByVal count As Long)
Public Declare Sub VorlReferenceRefinementSet Lib "vorl.dll" (ByVal model As Long, ByVal refinement As Double)
Public Declare Function VorlReferenceRun Lib "vorl.dll" (ByVal model As Long, ByVal progress As Long, ByVal user As Long) As Long
Public Declare Function VorlReferenceRealGas Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlReferenceTableColumnCount Lib "vorl.dll" () As Long
Public Declare Function VorlReferenceTableColumnName Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReferenceTableColumnUnit Lib "vorl.dll" (ByVal column As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlReferenceTableFill Lib "vorl.dll" (ByVal model As Long, ByRef values As Double, ByVal maxRows As Long) As Long
Public Declare Sub VorlModelChoiceSet Lib "vorl.dll" (ByVal model As Long, ByVal choice As Long)
Public Declare Function VorlModelChoice Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlModelRun Lib "vorl.dll" (ByVal model As Long, ByVal progress As Long, ByVal user As Long) As Long
Public Declare Function VorlSmallestHoleDiameter Lib "vorl.dll" (ByVal choice As Long, ByVal bore As Double) As Double
Public Declare Function VorlModelReportTimes Lib "vorl.dll" (ByVal endValue As Double, ByRef times As Double, ByVal maxCount As Long) As Long
Public Declare Function VorlOneCallSlotSize Lib "vorl.dll" (ByVal slot As Long) As Long
Public Declare Function VorlSweepRun Lib "vorl.dll" (ByVal caseCount As Long, _
        ByRef materials As Long, ByRef molecularWeights As Double, ByRef models As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef timeDivisions As Long, _
        ByRef maxSteps As Long, ByRef valveStarts As Long, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByVal threads As Long, ByRef pipeTimes As Double, _
        ByVal pipeTimeCount As Long, ByRef tolerances As Double, ByVal toleranceCount As Long, _
        ByRef report As Double, ByRef pipe As Double, ByRef status As Long, ByRef codes As Long, _
        ByVal progress As Long, ByVal user As Long) As Long
Public Declare Function VorlSweepRunWithInputs Lib "vorl.dll" (ByVal caseCount As Long, _
        ByRef materials As Long, ByRef molecularWeights As Double, ByRef models As Long, _
        ByRef flags As Long, ByRef inputs As Double, ByRef timeDivisions As Long, _
        ByRef maxSteps As Long, ByRef valveStarts As Long, ByRef valveFirst As Double, _
        ByRef valveSecond As Double, ByVal extraCount As Long, ByRef extraInputs As Long, _
        ByRef extraValues As Double, ByVal threads As Long, ByRef pipeTimes As Double, _
        ByVal pipeTimeCount As Long, ByRef tolerances As Double, ByVal toleranceCount As Long, _
        ByRef report As Double, ByRef pipe As Double, ByRef status As Long, ByRef codes As Long, _
        ByVal progress As Long, ByVal user As Long) As Long
Public Declare Function VorlModelCreateComposition Lib "vorl.dll" (ByVal count As Long, ByRef numbers As Long, ByRef fractions As Double) As Long
Public Declare Function VorlModelComponentCount Lib "vorl.dll" (ByVal model As Long) As Long
Public Declare Function VorlModelComponentNumber Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Long
Public Declare Function VorlModelComponentFraction Lib "vorl.dll" (ByVal model As Long, ByVal index As Long) As Double
Public Declare Function VorlModelGasProperty Lib "vorl.dll" (ByVal model As Long, _
        ByVal code As Long, ByVal x1 As Double, ByVal x2 As Double) As Double
Public Declare Function VorlNamedGasCount Lib "vorl.dll" () As Long
Public Declare Function VorlNamedGasName Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlNamedGasDescription Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlNamedGasFind Lib "vorl.dll" (ByVal textValue As String) As Long
Public Declare Function VorlModelCreateNamedGas Lib "vorl.dll" (ByVal index As Long) As Long
Public Declare Function VorlNamedGasAliases Lib "vorl.dll" (ByVal index As Long, ByVal buffer As String, ByVal size As Long) As Long
Public Declare Function VorlInteractionCoefficient Lib "vorl.dll" (ByVal materialA As Long, ByVal materialB As Long) As Double
Public Declare Function VorlModelIsNaturalGas Lib "vorl.dll" (ByVal model As Long) As Byte
Public Declare Function VorlPotentialImpactRadius Lib "vorl.dll" (ByVal model As Long, _
        ByRef diameterInches As Double, ByRef gaugePsi As Double) As Double
Public Declare Sub VorlBackPressureSet Lib "vorl.dll" (ByVal model As Long, ByVal pressure As Double)
Public Declare Sub VorlWaterDepthSet Lib "vorl.dll" (ByVal model As Long, ByVal depth As Double)
Public Declare Sub VorlSeawaterDensitySet Lib "vorl.dll" (ByVal model As Long, ByVal density As Double)
Public Declare Function VorlOutletPressure Lib "vorl.dll" (ByVal model As Long) As Double
Public Declare Sub VorlSupplyModeSet Lib "vorl.dll" (ByVal model As Long, ByVal mode As Long)
Public Declare Sub VorlSupplyTripTimeSet Lib "vorl.dll" (ByVal model As Long, ByVal timeValue As Double)
Public Declare Sub VorlValveDetectionDelaySet Lib "vorl.dll" (ByVal model As Long, ByVal delay As Double)
Public Declare Sub VorlValveClosingDurationSet Lib "vorl.dll" (ByVal model As Long, ByVal duration As Double)
#End If

' The author text as a VBA String. Author returns a system string (BSTR) of wide
' characters, which a Declare cannot return As String: it is copied, then freed.
#If VBA7 Then
Private Declare PtrSafe Function SysReAllocString Lib "oleaut32.dll" (ByVal target As LongPtr, _
        ByVal source As LongPtr) As Long
#Else
Private Declare Function SysReAllocString Lib "oleaut32.dll" (ByVal target As Long, _
        ByVal source As Long) As Long
#End If

Public Function VorlAuthorText() As String
#If VBA7 Then
    Dim bstr As LongPtr
#Else
    Dim bstr As Long
#End If
    Dim copy As String
    bstr = Author()
    If bstr = 0 Then Exit Function
    SysReAllocString VarPtr(copy), bstr
    VorlStringFree bstr
    VorlAuthorText = copy
End Function

' Message of the newest report of the error log, "" when the log is empty.
Public Function VorlLastMessage() As String
    Dim count As Long, length As Long, buffer As String
    count = VorlErrorLogCount()
    If count = 0 Then Exit Function
    buffer = String$(512, vbNullChar)
    length = VorlErrorLogMessage(count - 1, buffer, Len(buffer))
    If length < 0 Then Exit Function
    If length > Len(buffer) - 1 Then length = Len(buffer) - 1
    VorlLastMessage = Left$(buffer, length)
End Function

' Example: a methane line of 100 km and 0.5 m bore at 100 bar, fed with 200 kg/s,
' breached 30 km from its upstream end. Prints to the Immediate window (Ctrl+G).
Public Sub VorlExample()
#If VBA7 Then
    Dim model As LongPtr
#Else
    Dim model As Long
#End If
    Dim i As Long

    model = VorlModelCreateZel(74828)   ' methane, CAS 74-82-8
    If model = 0 Then
        Debug.Print "No model: " & VorlLastMessage()
        Exit Sub
    End If
    VorlPipeLengthSet model, 100000#         ' m
    VorlPipeDiameterSet model, 0.5           ' m
    VorlUpstreamPressureSet model, 10000000# ' Pa
    VorlTotalInflowSet model, 200#           ' kg/s
    VorlPipeBreachLocationSet model, 30000#  ' m from the upstream end
    Debug.Print "Fanning friction factor:", VorlFanning(model)
    Debug.Print "Double branch:", VorlIsDoubleBranch(model) <> 0

    If VorlRun(model) = 0 Then
        Debug.Print "Run failed"
    Else
        Debug.Print "Branch A: time (s), outflow (kg/s)"
        For i = 0 To VorlBranchAFlowSequenceSize(model) - 1
            Debug.Print VorlBranchATime(model, i), VorlBranchAExitFlux(model, i)
        Next i
        Debug.Print "Branch B: time (s), outflow (kg/s)"
        For i = 0 To VorlBranchBFlowSequenceSize(model) - 1
            Debug.Print VorlBranchBTime(model, i), VorlBranchBExitFlux(model, i)
        Next i
    End If

    VorlModelDelete model   ' deletes the model and sets model to 0
End Sub
