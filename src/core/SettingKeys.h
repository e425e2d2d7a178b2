// The framework's setting-key table: code names keys through these constants
// so that a misspelt key fails to compile instead of reading a default.
#pragma once

inline constexpr const char* kSettingCheatMode = "cheatmode";
inline constexpr const char* kSettingDownloadUrl = "downloadurl";
inline constexpr const char* kSettingComputerId = "computerid";
inline constexpr const char* kSettingFirstPeek = "firstpeek";
inline constexpr const char* kSettingPostMetrics = "postmetrics";
inline constexpr const char* kSettingInstallKey = "installkey";
inline constexpr const char* kSettingBuildTag = "buildtag";
inline constexpr const char* kSettingGameName = "gamename";
inline constexpr const char* kSettingPublisher = "publisher";
inline constexpr const char* kSettingVersion = "version";
inline constexpr const char* kSettingEncryptionKey = "encryptionkey";
inline constexpr const char* kSettingHiscoreLocal = "hiscorelocal";
inline constexpr const char* kSettingHiscoreAnon = "hiscoreanon";
inline constexpr const char* kSettingFlashMajorVersion = "flashmajorversion";
inline constexpr const char* kSettingHitTestChildren = "hittestchildren";
inline constexpr const char* kSettingFixButtonMask = "fixbuttonmask";
inline constexpr const char* kSettingAnimatedParticles = "animatedparticles";
inline constexpr const char* kSettingVsync = "vsync";
inline constexpr const char* kSettingMonitorFrequency = "monitorfrequency";
inline constexpr const char* kSettingTextSpriteRender = "textspriterender";
inline constexpr const char* kSettingUtf8Mode = "utf8mode";
inline constexpr const char* kSettingAutoMergeMask = "automergemask";
inline constexpr const char* kSettingOverlayMouse = "overlaymouse";
inline constexpr const char* kSettingVerboseDebug = "verbosedebug";
inline constexpr const char* kSettingQvGameHandle = "qvgamehandle";
inline constexpr const char* kSettingQvGameModeName = "qvgamemodename";
inline constexpr const char* kSettingQvGameMedalName = "qvgamemedalname";
inline constexpr const char* kSettingFpuPrecision = "fpuprecision";
inline constexpr const char* kSettingKeepOggUncompressed = "keepogguncompressed";
inline constexpr const char* kSettingSoftwareTextureCulling = "softwaretextureculling";
inline constexpr const char* kSettingLargeVramUsage = "largevramusage";

// The table in its fixed order.
inline constexpr const char* kSettingKeyTable[] = {
    kSettingCheatMode,
    kSettingDownloadUrl,
    kSettingComputerId,
    kSettingFirstPeek,
    kSettingPostMetrics,
    kSettingInstallKey,
    kSettingBuildTag,
    kSettingGameName,
    kSettingPublisher,
    kSettingVersion,
    kSettingEncryptionKey,
    kSettingHiscoreLocal,
    kSettingHiscoreAnon,
    kSettingFlashMajorVersion,
    kSettingHitTestChildren,
    kSettingFixButtonMask,
    kSettingAnimatedParticles,
    kSettingVsync,
    kSettingMonitorFrequency,
    kSettingTextSpriteRender,
    kSettingUtf8Mode,
    kSettingAutoMergeMask,
    kSettingOverlayMouse,
    kSettingVerboseDebug,
    kSettingQvGameHandle,
    kSettingQvGameModeName,
    kSettingQvGameMedalName,
    kSettingFpuPrecision,
    kSettingKeepOggUncompressed,
    kSettingSoftwareTextureCulling,
    kSettingLargeVramUsage,
};

// Keys outside the table that the framework also reads or writes.
inline constexpr const char* kSettingCheatCode = "cheatcode";
inline constexpr const char* kSettingLegacyLineWrap = "legacylinewrap";
inline constexpr const char* kSettingStringTest = "stringtest";
inline constexpr const char* kSettingMemoryMax = "memorymax";
inline constexpr const char* kSettingViewportScale = "viewportscale";
inline constexpr const char* kSettingTextureMemoryMax = "texturememorymax";
inline constexpr const char* kSettingUtf8ModeInit = "utf8modeinit";
inline constexpr const char* kSettingActiveX = "activex";
inline constexpr const char* kSettingStartupDir = "startupdir";
inline constexpr const char* kSettingSite = "site";
inline constexpr const char* kSettingHwnd = "hwnd";
inline constexpr const char* kSettingDxBroken = "dxbroken";
inline constexpr const char* kSettingBrokenIndexedVerts = "brokenindexedverts";
inline constexpr const char* kSettingCurrentSpriteCount = "current_sprite_count";
inline constexpr const char* kSettingTextureRamAllocated = "texture_ram_allocated";
inline constexpr const char* kSettingMaxTextureRamAllocated = "max_texture_ram_allocated";

// Keys of the display's render settings (TDrawContext::OnSettingChanged and
// GetRenderSetting), a table of their own.
inline constexpr const char* kRenderSettingAntialias = "antialias";
inline constexpr const char* kRenderSettingHintAntialias = "hint_antialias";
inline constexpr const char* kRenderSettingNewSubtractive = "new_subtractive";
inline constexpr const char* kRenderSettingNewRenderBlend = "new_render_blend";
inline constexpr const char* kRenderSettingTextureRectangle = "texture_rectangle";
inline constexpr const char* kRenderSetting16BitMode = "16bitmode";

// Seconds a script may run from native code without returning or yielding
// before it is stopped (default 10; 0 or less: no limit).
inline constexpr const char* kSettingScriptTimeBudget = "scripttimebudget";
