#pragma once

#include "base/TextTable.h"

// Texts of the program's own additions (backups, comparing configurations, Wi-Fi adapters). They
// live in a second table of the same stored form as the product's language table, embedded as
// ":/res/951", so that the product's table stays exactly as it is. Their IDs start at 5000;
// TextById looks them up here.
namespace OwnText {
enum Id {
    First = 5000,
    CompareMenu = 5001,       // "Compare with file..."
    TakeFromFile = 5002,      // "Take from file"
    AutoBackups = 5003,       // "Automatic backups"
    BackupFolder = 5004,      // "Backup folder..."
    CompareCaption = 5005,    // "Compare with file"
    ColumnSetting = 5006,     // "Setting"
    ColumnController = 5007,  // "Controller"
    ColumnFile = 5008,        // "File"
    ColumnRegion = 5009,      // "Map or correction"
    ColumnDifference = 5010,  // "Difference"
    NoDifferences = 5011,     // "No differences"
    SettingsByte = 5012,      // "Settings byte"
    CellsDiffer = 5013,       // "%1 cells, largest %2"
    OtherSettings = 5014,     // "Other settings"
    Page = 5015,              // "Page"
    RegionMultiplier1 = 5020,
    RegionMultiplier2,
    RegionRpm1,
    RegionRpm2,
    RegionGasPressure,
    RegionReducerTemp,
    RegionGasTemp,
    RegionPetrolMap,
    RegionGasMap,
    RegionObdPetrol1,
    RegionObdGas1,
    RegionObdPetrol2,
    RegionObdGas2,
    PointsDiffer = 5033,       // "curve points differ"
    BackupSaved = 5034,        // "Backup saved: %1"
    FolderMissing = 5040,      // "Folder not found: %1"
    WifiAdapter = 5070,        // "Wi-Fi adapter..." (the ELM menu's item)
    WifiAddressAsk = 5071,     // "Address of the Wi-Fi adapter (HOST:PORT):"
    WifiAddressBad = 5072,     // "Not an adapter address: %1. ..."
    ReadingController = 5073,  // "Reading the controller %1/%2" (regions taken of all)
    ControllerRead = 5074,     // "Controller read"
    RegionSettings = 5075,     // the names of the regions that 5020..5032 leave out
    RegionHistory,
    RegionRailEmulator,
    RegionInjectionDelay,
    RegionEnrichment,
    WriteNotKept = 5080,        // "The controller did not keep what was written: %1"
    UnsentEdits = 5081,         // "The program holds changes that the controller does not have yet: %1."
    UnsentForOther = 5082,      // "They were made for another controller than this one."
    UnsentAsk = 5083,           // "Send them to the controller? (No: take the controller's values)"
    EditsHeld = 5084,           // "Changes wait for the controller's read: %1"
    CalibrationChanged = 5085,  // "The calibration stopped before its end; it has changed: %1."
    CalibrationKeepAsk = 5086,  // "Keep these values? (No: go back to the values from before ...)"
    // The tune assistant (5100..5149).
    TuneTime = 5100,            // "Time [ms]"
    TunePresent = 5101,         // "Present"
    TuneProposed = 5102,        // "Proposed"
    TuneChange = 5103,          // "Change"
    TuneEvidenceColumn = 5104,  // "Evidence"
    TuneEvidence = 5105,        // "%1 cells, %2 samples"
    TuneThin = 5106,            // "too little evidence"
    TuneFollows = 5107,         // "follows its neighbour"
    TuneAdded = 5108,           // "new node"
    TuneCapped = 5109,          // "limited"
    TuneNotEnough = 5110,       // "Not enough evidence: drive at petrol times %1"
    TuneDeviation = 5111,       // "Deviation %1 % -> %2 % (%3 nodes changed)"
    TuneKeys = 5112,            // "T: propose   A: apply   Esc: discard"
    TuneProposal = 5113,        // "Proposal"
    TuneDeviationNow = 5114,    // "Deviation %1 %"
    TuneNoChange = 5115,        // "No change proposed"
    // The tune assistant while the maps relearn after a change of the multiplier (5500..5529).
    TuneRelearning = 5500,        // "Drive first: %1 of %2 cells relearned since the multiplier change (%3 needed)"
    TuneRelearningOne = 5501,     // the same after "of 1" (in Russian also 21, 31, ...)
    TuneChangedElsewhere = 5502,  // "The multiplier was changed outside the assistant; ..."
    // What each error box means and what to do (base/ErrorHelp), one text per error code.
    ErrorNoLink = 5150,     // 1: the controller link could not be set up
    ErrorSettingsCreate,    // 121
    ErrorSettingsOpen,      // 122
    ErrorSettingsFormat,    // 123
    ErrorRecordingCreate,   // 131
    ErrorRecordingOpen,     // 132
    ErrorRecordingFormat,   // 133
    ErrorRecordingAppend,   // 134
    ErrorCsvWrite,          // 135
    ErrorFirmwareRead,      // 141
    ErrorFirmwareSize,      // 142
    ErrorFirmwareFormat,    // 143
    ErrorFirmwareHardware,  // 144
    ManualBack = 5170,      // "Back" (the manual window)
    ManualContents,         // "Contents"
    DrawingsFolder,         // "Put the controller maker's drawings (%1) in the folder %2 ..."
    NoLinkHint,             // "No connection: %1 › %2" (the menu and its item)
    RecordingCut,           // "The recording holds %1 samples; the first %2 are shown."
    NoErrorsStored,         // "No errors stored"
    NoTroubleCodes,         // "No trouble codes stored"
    ScopePlay,              // the oscilloscope bar's tooltips: Play, Pause, Stop, Record, Clear,
    ScopePause,             // "Layout %1", shorter and longer time base
    ScopeStop,
    ScopeRecord,
    ScopeClear,
    ScopeLayout,
    ScopeZoomIn,
    ScopeZoomOut,
    EditorHint,  // how a value is changed in the settings editor
    MapHint,     // how cells are changed on the map views
    // Names of the settings bytes the settings catalogue leaves unlabelled (settings/ConfigDiff).
    ReservedByte = 5190,     // "Reserved byte %1"
    InjectorTypeValue,       // "Injector type, value %1" (25..28)
    InjectorInput,           // "Gas injectors on petrol input %1" (32..39)
    LevelThreshold,          // "Level sensor threshold %1" (41..44)
    RpmCorrectionOverTime,   // "RPM correction map over injection time" (76)
    CalibrationReducerTemp,  // "Reducer temperature at calibration" (87)
    CalibrationManifold,     // "Manifold pressure at calibration" (88)
    CalibrationIdle,         // "Idle correction at calibration" (89)
    ReferenceCorrection,     // "Reference correction" (94)
    ServiceReminder,         // "Service reminder" (100)
    ServiceMark,             // "Next service (running time), byte %1" (101, 102)
    BankName,                // "%1, bank %2"
    ObdErrorCode,            // "OBD error code %1"
    MultiplierNode,          // "Multiplier bank %2, node %1"
    InjectorCorrection,      // "Correction of gas injector %1" (216..223)
    LoadBreakpoint,          // "Load breakpoint %1" (224..239)
    RpmBreakpoint,           // "RPM breakpoint %1" (240..255)
    KeptByPc,                // "%1 (kept by the PC)": the settings 256 and on
    AxisRpm,                 // the compare window's heat map axes: "Engine speed [rpm]", "Load",
    AxisLoad,                // "Injection time [ms]", "Table byte"
    AxisTime,
    AxisByte,
    ObdNoEngineComputer,  // the OBD row when the adapter answers and no engine computer does
};
}  // namespace OwnText

constexpr int kResourceOwnTexts = 951;

// The table of the program's own texts, loaded on first use.
TextTable& ownTexts();
