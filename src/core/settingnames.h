#pragma once

// The names of the settings in the settings file, one each, as the file
// has always spelt them: a stored file from any earlier run reads the same.
namespace setting {

// Network and calls.
inline constexpr const char* kNetPort = "netPort";
inline constexpr const char* kUserName = "userName";
inline constexpr const char* kKeyOn = "KeyOn";
inline constexpr const char* kKey = "Key";
inline constexpr const char* kAutoConnectRestrict = "AutoConnectRestrict";
inline constexpr const char* kAlwaysAnswer = "AlwaysAnswer";
inline constexpr const char* kAutoCallOutIp = "AutoCallOutIp";
inline constexpr const char* kAutoCallOutIpDns = "AutoCallOutIpDns";

// Sound.
inline constexpr const char* kSndType = "SndType";
inline constexpr const char* kLockCodec = "lockCodec";
inline constexpr const char* kDeviceMc = "deviceMc";
inline constexpr const char* kDeviceSp = "deviceSp";
inline constexpr const char* kAudioSource = "audioSource";
inline constexpr const char* kLowLatency = "LowLatency";
inline constexpr const char* kEchoCancel = "EchoCancel";
inline constexpr const char* kNoiseSuppress = "NoiseSuppress";
inline constexpr const char* kPreBuffer = "PreBuffer";
inline constexpr const char* kMcMute = "mcMute";
inline constexpr const char* kSpMute = "spMute";

// Speex 8 kHz encoder.
inline constexpr const char* kSpeexQuality = "SpeexQuality";
inline constexpr const char* kSpeexComplexity = "SpeexComplexity";
inline constexpr const char* kSpeexEnhancer = "SpeexEnhancer";
inline constexpr const char* kSpeexVbrQuality = "SpeexVbrQuality";
inline constexpr const char* kSpeexVbr = "SpeexVbr";
inline constexpr const char* kSpeexVad = "SpeexVad";
inline constexpr const char* kSpeexDtx = "SpeexDtx";

// Filters.
inline constexpr const char* kFilterLimiter = "FilterLimiter";
inline constexpr const char* kFilterBp = "FilterBp";
inline constexpr const char* kFilterBpFreq = "FilterBpFreq";
inline constexpr const char* kFilterBpGain = "FilterBpGain";
inline constexpr const char* kFilterBpQ = "FilterBpQ";
inline constexpr const char* kFilterBpScale = "FilterBpScale";
inline constexpr const char* kFilterBpCascade = "FilterBpCascade";

// The program and its windows.
inline constexpr const char* kLog = "log";
inline constexpr const char* kRinger = "ringer";
inline constexpr const char* kRingerFile = "ringerFile";
inline constexpr const char* kAutoStartFile = "AutoStartFile";
inline constexpr const char* kStartingTray = "StartingTray";
inline constexpr const char* kLowKeySpace = "lowKeySpace";
inline constexpr const char* kScopeZoom = "scopeZoom";
inline constexpr const char* kScopeOn = "ScopeOn";
inline constexpr const char* kFileDialogFolder = "FileDialogFolder";
inline constexpr const char* kDlgX = "DlgX";
inline constexpr const char* kDlgY = "DlgY";
inline constexpr const char* kDlgContactX = "DlgContactX";
inline constexpr const char* kDlgContactY = "DlgContactY";
inline constexpr const char* kDlgOptionsX = "DlgOptionsX";
inline constexpr const char* kDlgOptionsY = "DlgOptionsY";

}  // namespace setting
