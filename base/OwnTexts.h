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
    // Trouble codes without a description, the table views' keys, the recording's start, the manual's search.
    DtcManufacturerSpecific = 5300,  // "manufacturer-specific code: see the car maker's documentation"
    DtcNotInTable,                   // "no description of this code in the program's table"
    TableKeysLiveCell,               // the keys of the RPM correction table (+ / - on the live cell, Ctrl, Alt)
    TableKeys,                       // the keys of the delay and enrichment tables (Ctrl, Alt)
    RecordingStarted,                // "Recording started with the %1 samples already on screen"
    RecordingStartedEmpty,           // "Recording started; it begins with the next sample"
    ManualSearch,                    // "Search the manual"
    ManualHit,                       // "%1, line %2: %3" (chapter, line, the line's text)
    ManualNotFound,                  // "Not found in the manual: %1"
    // Typing into the dialogs' value boxes and the settings editor (5450..5499).
    TypedOutOfRange = 5450,  // "Enter a value from %1 to %2"
    TypedNoDigits = 5451,    // "This value takes no digits: change it with the arrows"
    // Why a calibration starts over (the Calibration tab and the log).
    CalibrationRestartNoPetrol = 5400,  // "Calibration starts over: the controller did not go over to petrol"
    CalibrationRestartLeftPetrol,       // "...: the engine left petrol while its petrol time was measured"
    CalibrationRestartGasTime,          // "...: on gas the petrol time was %1 ms off ..."
    // Why a Wi-Fi adapter could not be used (the OBD page and the log).
    WifiRefused = 5410,    // "connection refused"
    WifiNoAnswer,          // "no answer in %1 s"
    WifiHostNotFound,      // "address not found"
    WifiClosed,            // "the adapter closed the connection"
    WifiLost,              // "connection lost"
    WifiFailed,            // "cannot connect to %1: %2"
    SettingsSaved = 5420,  // "Settings saved to %1"
    BackupsOf,             // "%1 (serial number %2)": a controller in the backups list
    BackupsList,           // "Backups": the Device menu's list of controllers with backups
    NoBackups,             // "No backups yet"
    // The OBD reader's fixed Polish texts in each language: the status rows' values (the command
    // line's rows, the window's tooltips) and the code box's headings (5350..5399).
    ObdNoConnection = 5350,  // "brak połączenia"
    ObdNoAdapter,            // "brak interfejsu"
    ObdSearching,            // "szukanie interfejsu"
    ObdNoProtocol,           // "brak protokołu"
    ObdLampOn,               // "zapalony"
    ObdLampOff,              // "zgaszony"
    ObdStoredCodes,          // the code box's headings
    ObdPendingCodes,
    ObdPermanentCodes,
    // What kavelo-cli obd says in the language asked for.
    ObdCleared = 5359,    // "Trouble codes cleared; codes now held:"
    ObdNoAdapterOn,       // "no ELM327 adapter answers on %1"
    ObdNoCarProtocol,     // "the car answers on no OBD protocol"
    ObdPortLost,          // "the ELM port was lost"
    ObdPidRepliesUnread,  // "the replies to the polled PIDs could not be read; ..."
    ObdAdapterSilent,     // "the adapter stopped answering; ..."
    ObdNotInTime,         // "the adapter did not finish in time"
    ObdNoCodeReplies,     // "the engine computer did not answer the trouble-code requests"
    ObdNoEcu,             // "no engine computer answered"
    ObdPidUnsupported,    // "PID %1 is not supported by the car"
    ObdNoPidSupported,    // "none of the selected PIDs is supported"
    // Nouns in their plural forms "one|few|many" (base/Plural), and the texts that take a count
    // with its noun.
    NounCell = 5370,
    NounSample,
    NounNode,
    CellsDifferCount,    // "%1, largest %2": %1 the cells with their noun
    TuneDeviationCount,  // "Deviation %1 % -> %2 % (changed: %3)": %3 the nodes with their noun
    RecordingCutCount,   // "The recording has %1; the first %2 are shown ...": %1 the samples
};
}  // namespace OwnText

constexpr int kResourceOwnTexts = 951;

// The table of the program's own texts, loaded on first use.
TextTable& ownTexts();
