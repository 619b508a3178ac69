// Command ids of the menus, the toolbar and the context menu.
#pragma once

namespace vantor::cmd {

enum : int {
    ApplyToolbarFields = 1,  // Enter in a toolbar field
    FocusView = 2,           // Esc in a toolbar field
    ObjectToOrigin = 101,    // context menu "Object %ld to origin"
    Open = 40002,
    SaveAs = 40004,
    Exit = 40006,
    TimeStep = 40008,
    Reinitialize = 40010,
    StartPause = 40012,
    About = 40016,
    New = 40018,
    PriorityHigh = 40023,
    PriorityNormal = 40024,
    PriorityLow = 40025,
    ObjectEditor = 40028,
    Benchmark = 40030,
    FramesPerSecond = 40032,
    ZoomIn = 40037,
    ZoomOut = 40038,
    RepaintWindow = 40055,
    Viewpoint = 40057,
    Examples = 40061,
    RotatePhiMinus = 40062,
    RotatePhiPlus = 40063,
    RotateThetaMinus = 40064,
    RotateThetaPlus = 40065,
    RotateClockwise = 40067,
    RotateCounterclockwise = 40069,
    ReadOnlyFlag = 40074,
    DisplayAxes = 40075,
    DisplayOsd = 40077,
    ObjectRandomizer = 40079,
    AboutMcsFps = 40081,
    Origin = 40083,
    DimDistant = 40085,
    Autosave = 40087,
    AutoStop = 40089,
    DisplayNames = 40091,
    Fullscreen = 40093,
    KeyShortcuts = 40095,
    RotatingStep = 40097,
    Website = 40099,
    Threads = 40101,
    SceneryInfo = 40115,
    Relativistic = 40116,
    Collisions = 40117,
    PriorityHighest = 40120,
    Trails = 40122,
    FieldOfView = 40124,
    Spacecraft = 40126,
    Dots = 40130,
    ImproveVisibility = 40133,
    StaticSceneryDialog = 40135,
    StaticScenery = 40138,
    Diagnostics = 40140,
    RecordVideo = 40141,  // File > Record video...
    // The speed limit (Action menu, key L).
    SpeedLimitToggle = 40150,
    SpeedLimitOff = 40151,
    SpeedLimitHour = 40152,
    SpeedLimitDay = 40153,
    SpeedLimitWeek = 40154,
    SpeedLimitMonth = 40155,
    SpeedLimitYear = 40156,
    SpeedLimitOther = 40157,
};

// The main window's controls by id (their object names): the status bar,
// the toolbar and its three fields.
enum : int {
    StatusBar = 666,
    Toolbar = 667,
    FpsField = 668,
    TimeStepField = 670,
    RotatingStepField = 671,
};

}  // namespace vantor::cmd

namespace vantor::answer {

// The answers of the save questions, as the system's message box codes.
enum : int {
    Yes = 6,
    No = 7,
    Cancel = 2,
};

}  // namespace vantor::answer
