-- The window library: constants for dialog descriptions, the message-loop
-- tables and the functions screen and dialog scripts are written against.
-- Built into the program and run by the window script as it starts.

LUA_PATH = "?;../?;../../?"

kHAlignLeft = 0
kHAlignCenter = 1
kHAlignRight = 2
kVAlignTop = 0
kVAlignCenter = 4
kVAlignBottom = 8

kPush = 0
kToggle = 1
kRadio = 2

kAllLayers = -1
kCenter = 80000
kMax = 160000
kDefault = 128

kPushButtonAlignment = kHAlignCenter + kVAlignCenter
kRadioButtonAlignment = kHAlignLeft + kVAlignCenter
kToggleButtonAlignment = kHAlignCenter + kVAlignCenter

kGeneric = 0
kCloseWindow = kGeneric + 1
kDefaultAction = kCloseWindow + 1
kButtonPress = kDefaultAction + 1
kPressAnyKey = kButtonPress + 1
kQuitNow = kPressAnyKey + 1
kModalClosed = kQuitNow + 1
kTextEditChanged = kModalClosed + 1
kCommandOnly = kTextEditChanged + 1
kSliderValChanged = kCommandOnly + 1
kSliderMouseUp = kSliderValChanged + 1
kSliderPageUp = kSliderMouseUp + 1
kSliderPageDown = kSliderPageUp + 1
kUserMessageBase = 1000

gReturnValue = nil
idtable = {}
gParent = {}
gCurrentDefaultStyle = {}
gCurID = 100
gBeginGroup = 0

kCmdLine = "cmdline"
kLevel = "level"
kSubLevel = "sublevel"
kPause = "pause"
kMute = "mute"
kBreakNow = "breaknow"
kScore = "score"
kGameMode = "gamemode"
kGameOver = "gameover"
kRestartButton = "restartbutton"
kSystemMode = "systemmode"
kMaxLevel = "maxlevel"
kCheatMode = "cheatmode"
kComputerId = "computerid"
kInstallKey = "installkey"
kGameName = "gamename"
kGameVersion = "version"
kEncryptionKey = "encryptionkey"
kHiscoreLocalOnly = "hiscorelocal"
kHiscoreAnonymous = "hiscoreanon"

function Color(r, g, b, a)
    if a == nil then a = 255 end
    return { r / 255, g / 255, b / 255, a / 255 }
end

function FColor(r, g, b, a)
    if a == nil then a = 1 end
    return { r, g, b, a }
end

function Push(value)
    table.insert(gParent, 1, value)
end

function Pop()
    table.remove(gParent, 1)
end

function DoWindow(t)
    t.beginGroup = gBeginGroup
    gBeginGroup = 0
    GenericCreate(t)
    MakeDialog(t)
    PopWindow()
end

function DoDialogCommand(index, closure)
    closure()
end

function MakeDialog(t)
    local style = gCurrentDefaultStyle
    if t.name and t.name ~= "" then
        SetWindowName(t.name)
    end
    table.foreachi(t, DoDialogCommand)
    typename = t.typename
    SetDefaultStyle(style)
    if typename then
        PostCreate(t)
    end
end

function Creating(typeName, t)
end

function SetBeginGroup()
    gBeginGroup = 1
end

function BeginGroup()
    return function() SetBeginGroup() end
end

-- A style chain that comes back to a table already passed ends as not found.
local function FindTag(t, key, seen)
    while type(t) == "table" do
        if seen[t] then return nil end
        seen[t] = true
        local value = t[key]
        if value ~= nil and value ~= false then return value end
        t = t.parent
    end
    return nil
end

function GetTag(t, key, noDefault)
    local value = t[key]
    if value ~= nil and value ~= false then return value end
    if noDefault == nil then
        return FindTag(gCurrentDefaultStyle, key, {})
    end
    if t.parent then
        return FindTag(t.parent, key, { [t] = true })
    end
    return nil
end

function SetDefaultStyle(style)
    gCurrentDefaultStyle = style
end

function SetStyle(style)
    return function() SetDefaultStyle(style) end
end

function AppendStyle(style)
    return function()
        style.parent = gCurrentDefaultStyle
        SetDefaultStyle(style)
    end
end

function SetFocus(name)
    RealSetFocus(name)
end

function SetDefault(value)
    return function() end
end

-- n points spread evenly across size, the edges left out.
local function Distribute(n, size)
    local t = {}
    divisor = n + 1
    for i = 1, n do
        d = i / divisor
        t[i] = d * size
    end
    return t
end

function DistributeX(n)
    return Distribute(n, gDialogWidth)
end

function DistributeY(n)
    return Distribute(n, gDialogHeight)
end

gClosedWindows = {}

function WaitForCloseMessage(id)
    while true do
        local m = WaitForMessage()
        if m then
            gLastMessage = m
            if m.type == kModalClosed then
                if m.name == id then return end
                gClosedWindows[m.name] = true
            end
        end
        if gClosedWindows[id] then
            gClosedWindows[id] = nil
            return
        end
    end
end

function DoModal(scriptName)
    local id = PushModal(scriptName)
    ReadFile(scriptName)
    DoFitToChildren()
    WaitForCloseMessage(id)
    local value = gReturnValue
    gReturnValue = nil
    return value
end

function DoMainWindow(scriptName)
    PushModal(scriptName)
    local depth = GetWindowDepth()
    ReadFile(scriptName)
    DoFitToChildren()
    while true do
        local m = WaitForMessage()
        if m then
            gLastMessage = m
            if GetWindowDepth() < depth then return end
        end
    end
end

function ModalReturn(value)
    gReturnValue = value
end

function DisplaySplash(movieName, imageName, ms)
    local id = PushModal("DisplaySplash")
    local translate = GetTag({}, "translate") or false
    local allowInput = GetTag({}, "allowInput") or false
    inMovie = StartMovie(movieName, translate, allowInput)
    local finish = GetTimer() + ms
    local disableAbort = GetTag({}, "disableAbort") or false
    if not inMovie then
        local overlay = GetTag({}, "splashoverlay") or Group({})
        if imageName == nil or imageName == "" then
            -- Nothing to show: the splash modal must not stay on top.
            PopModal(id)
            return
        end
        MakeDialog({ Bitmap({ name = "splashimage", image = imageName, autoscale = true, overlay }) })
        UpdateWindow()
        UpdateWindow()
        Pause(50)
    end
    if inMovie or ImageLoaded("splashimage") then
        while true do
            local m = WaitForMessage(1)
            if not IsMoviePlaying() and GetTimer() > finish then break end
            if m then
                if m.type == kCloseWindow then break end
                if m.type == kModalClosed then
                    if m.name == id then break end
                    gClosedWindows[m.name] = true
                end
                if not disableAbort and m.type == kPressAnyKey then break end
            end
            if inMovie and not IsMoviePlaying() then break end
        end
    end
    if inMovie then
        StopMovie()
    end
    PopModal(id)
end

gCommandQueue = {}
gMessageQueue = {}

-- The window script publishes its wait before this library runs, and for
-- the script's whole life: held here, the message loop finds it without a
-- global lookup on every message.
local HandleGetMessage = HandleGetMessage

function FlushMessages()
    while HandleGetMessage(1) do
    end
    gCommandQueue = {}
    gMessageQueue = {}
end

function WaitForMessage(waitMs, skipQueue)
    -- The queues are arrays of messages and functions (never false): the
    -- first entry tells whether one is empty, cheaper than its length.
    if not skipQueue and gMessageQueue[1] then
        return table.remove(gMessageQueue)
    end
    local m, command = HandleGetMessage(waitMs)
    if command then
        gYieldResult = command()
    elseif gCommandQueue[1] then
        local queued = table.remove(gCommandQueue)
        gYieldResult = queued()
    end
    return m
end

function Yield()
    return coroutine.yield()
end

function ReadFile(name)
    return dofile("assets/" .. name)
end

function CloseWindow(value)
    PostMessage(CreateCloseMessage())
    if value then
        ModalReturn(value)
    end
end

function CustomCreator(t)
end

function GetString(label, a1, a2, a3, a4, a5)
    return _GetString(label, a1 or "", a2 or "", a3 or "", a4 or "", a5 or "")
end

function SetBitmap(name, image, scale)
    _SetBitmap(name, image, scale or 1)
end

function PopModal(name)
    DoPopModal(name)
end

function SwapToModal(scriptName)
    ClearModalChildren()
    ReadFile(scriptName)
    DoFitToChildren()
end

gDialogTable = {}

function DisplayDialog(t)
    local scriptName = t[1]
    if scriptName == nil or scriptName == "" then
        DebugOut("DisplayDialog called with empty script; aborting")
        return
    end
    local id = PushModal(scriptName)
    gDialogTable = t
    ReadFile(scriptName)
    WaitForCloseMessage(id)
    local value = gReturnValue
    gReturnValue = nil
    return value
end

function SelectLayer(n)
    return function() DoSelectLayer(n) end
end

function Group(t)
    return function() MakeDialog(t) end
end

function FitToChildren()
    return function() DoFitToChildren() end
end

function Pause(ms, stopOnAnyKey)
    local finish = GetTimer() + ms
    while GetTimer() < finish do
        local m = WaitForMessage(finish - GetTimer(), true)
        if m then
            if stopOnAnyKey and m.type == kPressAnyKey then return end
            table.insert(gMessageQueue, m)
        end
    end
end

function SetState(key, value)
    if value == true then
        value = 1
    elseif value == false then
        value = 0
    end
    _SetState(tostring(key), tostring(value))
end

function RegisterHotkey(key, buttonName)
    if key and buttonName then
        _RegisterHotkey(key, buttonName)
    end
end
