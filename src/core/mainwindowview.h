#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/linestate.h"
#include "core/textlookup.h"

// The main window as the message handlers and timers see it: operations on
// its pages, its client list, its line pages, its bottom bar and its
// commands, with no widget in sight. Pages are numbered as lines are: 0 the
// client list, 1 and 2 the call lines. Texts are the program's 8-bit
// Latin-1; the window turns them into what the screen shows. Main thread only.
class MainWindowView {
 public:
  static constexpr int kLines = 2;
  static constexpr bool IsLine(int page) { return page >= 1 && page <= kLines; }

  // What a line page shows of its call, refreshed once a second.
  struct LineValues {
    std::string onLine;  // the call's duration
    std::string received;
    std::string sent;
    std::string address;
    std::string soundType;  // empty: left as it is
  };

  // A volume slider: where it stands and whether a mixer control backs it.
  struct Slider {
    int position = 0;  // 0 to 65535
    bool enabled = false;
  };

  // What may be done on the page in front.
  struct Availability {
    bool connect = false;
    bool disconnect = false;
    bool add = true;
    bool edit = false;
  };

  virtual ~MainWindowView() = default;

  // Pages.
  virtual int PageInFront() const = 0;
  virtual void BringToFront(int page) = 0;
  virtual bool IsTabShown(int page) const = 0;
  virtual void ShowTab(int page, bool shown) = 0;
  // A line's tab shows where its call stands (idle once the call is over).
  virtual void ShowLineState(int line, LineState state) = 0;

  // Client list: one row per client, drawn from the client list itself.
  virtual int ClientRowCount() const = 0;
  // -1 when no row is selected.
  virtual int SelectedClientRow() const = 0;
  virtual void SelectClientRow(int row) = 0;
  virtual void AddClientRow() = 0;
  virtual void RemoveClientRow(int row) = 0;
  virtual void RepaintClientList() = 0;
  // Where a friend calls this computer ("192.168.1.5", "192.168.1.5:5000"),
  // shown while the list has no client.
  virtual void ShowOwnAddresses(const std::vector<std::string>& addresses) = 0;

  // Line pages, by line number.
  virtual void SetLineValues(int line, const LineValues& values) = 0;
  // The peer's name replaces the duration until the next refresh.
  virtual void ShowPeerName(int line, const std::string& name) = 0;
  // The call's quality mark on its page (0: none, 1: good, 2: fair,
  // 3: poor) and the figures behind it as the mark's hint.
  virtual void ShowCallQuality(int line, int mark, const std::string& hint) = 0;
  // The sound type the page shows, for the status picture of scripts.
  virtual std::string ShownSoundType(int line) const = 0;
  virtual bool ScopeShown(int line) const = 0;
  virtual void ShowScope(int line, bool shown) = 0;
  virtual bool FilterShownOn(int line) const = 0;
  virtual void ShowFilterOn(int line, bool on) = 0;

  // The scope of a line whose scope is shown: the frames the taps report
  // now (empty when a tap had none to give), drawn unless frozen.
  virtual void DrawScope(int line, std::span<const int16_t> speaker, std::span<const int16_t> microphone) = 0;
  virtual void SetScopeZoom(int zoom) = 0;
  virtual void UnfreezeScope() = 0;

  // Bottom bar.
  virtual void SetSliders(Slider speaker, Slider microphone) = 0;
  virtual void SetMeters(int speaker, int microphone) = 0;  // 0 to 65535
  virtual void SetMuteButtons(bool speakerDown, bool microphoneDown) = 0;
  virtual void SetSystemKey(bool on) = 0;  // its lamp and its menu item
  virtual void SetRestartLamp(bool on) = 0;

  // The right-hand Control key as the window's own key events saw it: the
  // high bit while it is down, the low bit flipping at every press.
  virtual uint16_t RightControlState() const = 0;

  // Commands of the page in front: the Connect and Disconnect buttons and
  // the menu items that follow them.
  virtual void SetCommandAvailability(const Availability& availability) = 0;

  // The texts of a translation; an empty text keeps the built-in one.
  virtual void ApplyLanguage(const TextLookup& texts) = 0;

  // The window as a whole. To the tray: out of sight where a tray icon
  // brings it back, minimised where the desktop has no tray.
  virtual void RequestClose() = 0;
  virtual void SendToTray() = 0;
  // The tray icon's picture: 7 idle, 8 and 9 ringing, 10 to 12 in a call.
  virtual void SetTrayFrame(int frame) = 0;
  // The title strip follows whether the window is active.
  virtual void UpdateTitlePicture() = 0;
};
