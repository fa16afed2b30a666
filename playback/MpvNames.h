// Names of the mpv properties, options, commands and values the engine layer uses, kept in
// one place so that a typo is a compile error rather than a silently ignored property.
#pragma once

namespace mpvname {

// Options set before the core is initialised.
inline constexpr char kVo[] = "vo";
inline constexpr char kAo[] = "ao";
inline constexpr char kIdle[] = "idle";
inline constexpr char kKeepOpen[] = "keep-open";
inline constexpr char kTerminal[] = "terminal";
inline constexpr char kInputDefaultBindings[] = "input-default-bindings";
inline constexpr char kInputVoKeyboard[] = "input-vo-keyboard";
inline constexpr char kOsc[] = "osc";
inline constexpr char kOsdLevel[] = "osd-level";
inline constexpr char kSubAuto[] = "sub-auto";
inline constexpr char kAudioFileAuto[] = "audio-file-auto";
inline constexpr char kYtdl[] = "ytdl";
inline constexpr char kHrSeek[] = "hr-seek";
inline constexpr char kGpuHwdecInterop[] = "gpu-hwdec-interop";
inline constexpr char kAudioFallbackToNull[] = "audio-fallback-to-null";
inline constexpr char kLoadScripts[] = "load-scripts";
inline constexpr char kLoadStatsOverlay[] = "load-stats-overlay";
inline constexpr char kLoadOsdConsole[] = "load-osd-console";
inline constexpr char kLoadAutoProfiles[] = "load-auto-profiles";
inline constexpr char kBackground[] = "background";

// Properties read, written or observed while running.
inline constexpr char kPause[] = "pause";
inline constexpr char kSpeed[] = "speed";
inline constexpr char kVolume[] = "volume";
inline constexpr char kMute[] = "mute";
inline constexpr char kTimePos[] = "time-pos";
inline constexpr char kDuration[] = "duration";
inline constexpr char kWidth[] = "width";
inline constexpr char kHeight[] = "height";
inline constexpr char kSid[] = "sid";
inline constexpr char kSubVisibility[] = "sub-visibility";
inline constexpr char kSubText[] = "sub-text";
inline constexpr char kSubStart[] = "sub-start";
inline constexpr char kTrackList[] = "track-list";
inline constexpr char kChapterCount[] = "chapter-list/count";
inline constexpr char kLavfiComplex[] = "lavfi-complex";
inline constexpr char kVid[] = "vid";
inline constexpr char kAid[] = "aid";
inline constexpr char kHrSeekDemuxerOffset[] = "hr-seek-demuxer-offset";

// Commands and their arguments.
inline constexpr char kLoadFile[] = "loadfile";
inline constexpr char kReplace[] = "replace";
inline constexpr char kStop[] = "stop";
inline constexpr char kSeek[] = "seek";
inline constexpr char kAbsolutePercentExact[] = "absolute-percent+exact";
inline constexpr char kAbsoluteExact[] = "absolute+exact";
inline constexpr char kScreenshotRaw[] = "screenshot-raw";
inline constexpr char kFrameStep[] = "frame-step";
inline constexpr char kFrameBackStep[] = "frame-back-step";
inline constexpr char kScreenshotVideo[] = "video";
inline constexpr char kVideoAdd[] = "video-add";
inline constexpr char kAuto[] = "auto";

// Keys of command results and track-list entries.
inline constexpr char kPlaylistEntryId[] = "playlist_entry_id";
inline constexpr char kKeyW[] = "w";
inline constexpr char kKeyH[] = "h";
inline constexpr char kKeyStride[] = "stride";
inline constexpr char kKeyFormat[] = "format";
inline constexpr char kKeyData[] = "data";
inline constexpr char kKeyType[] = "type";
inline constexpr char kKeyId[] = "id";
inline constexpr char kTrackTypeSub[] = "sub";
inline constexpr char kTrackTypeVideo[] = "video";
inline constexpr char kTrackTypeAudio[] = "audio";
inline constexpr char kKeyExternal[] = "external";
inline constexpr char kKeyExternalFilename[] = "external-filename";
inline constexpr char kFormatBgr0[] = "bgr0";

// Values.
inline constexpr char kYes[] = "yes";
inline constexpr char kNo[] = "no";
inline constexpr char kNull[] = "null";
inline constexpr char kLibmpvThenNull[] = "libmpv,null";
inline constexpr char kBlueBlack[] = "#000001";

} // namespace mpvname
